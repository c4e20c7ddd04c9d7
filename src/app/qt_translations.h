#pragma once

class QLocale;
class QTranslator;

// Qt's own texts (the stock buttons, the file dialog, the input box) in the
// language of `locale`, from the system's Qt translations. The program's own
// texts are Portuguese whatever the language. Nothing when the system has no
// translation for it; otherwise the installed translator, owned by the application.
QTranslator* installQtTranslations(const QLocale& locale);
