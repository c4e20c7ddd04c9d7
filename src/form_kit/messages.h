#pragma once

#include "document/document_editor.h"

#include <QString>

#include <new>
#include <optional>

class QWidget;

// The program's message boxes: a fixed icon, title and text each, OK or Yes/No.
void showInformation(QWidget* parent, const QString& title, const QString& text);
void showCritical(QWidget* parent, const QString& title, const QString& text);

// A path as a question shows it: in the system's separators, and broken,
// where it is longer than a line, at one of them.
QString pathText(const QString& path);

// A file that could not be opened or saved ("abrir", "salvar"), and the reason.
void showFileFailure(QWidget* parent, const QString& verb, const QString& path, const QString& reason);

// Yes and No, Yes the default unless told otherwise; true for Yes. The
// informative text, when there is one, goes under the text.
bool askYesNo(QWidget* parent, const QString& title, const QString& text, bool yesIsDefault = true,
              const QString& informativeText = {});

// The input box: a prompt and a text to change, OK and Cancel. The text as
// confirmed, of any length, or nothing when cancelled.
std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt, const QString& text);

// Tells why the document refused a change; nothing for a change that was made
// or that had nothing to act on.
void showRefusal(QWidget* parent, modMain::EditOutcome outcome);

// Runs a command of a window; running out of memory in it is told, and goes
// no further (Qt's own code, between the window and the command, must not
// see the exception).
template <typename Command>
void reportingOutOfMemory(QWidget* parent, Command&& command)
{
    try {
        command();
    } catch (const std::bad_alloc&) {
        showRefusal(parent, modMain::EditOutcome::OutOfMemory);
    }
}
