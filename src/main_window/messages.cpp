#include "main_window/messages.h"

#include "document/line_syntax.h"
#include "document/text_codec.h"

#include <QMessageBox>

namespace {

void show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
}

// Line breaks are invisible in a message: they are named by their control pictures.
QString visible(QString characters)
{
    return characters.replace(u'\r', QChar(0x240D)).replace(u'\n', QChar(0x240A));
}

bool acceptUnless(QWidget* parent, const QString& refused)
{
    if (refused.isEmpty())
        return true;
    showInformation(parent, QStringLiteral("Caractere inválido"),
                    QStringLiteral("O texto contém caracteres que não podem ser gravados no arquivo: ") +
                        visible(refused));
    return false;
}

}  // namespace

void showInformation(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, QMessageBox::Information, title, text);
}

void showCritical(QWidget* parent, const QString& title, const QString& text)
{
    show(parent, QMessageBox::Critical, title, text);
}

bool askYesNo(QWidget* parent, const QString& title, const QString& text, bool yesIsDefault)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

bool acceptLineText(QWidget* parent, const QString& text)
{
    return acceptUnless(parent, modMain::unwritableInLine(text));
}

bool acceptBlockText(QWidget* parent, const QString& text)
{
    return acceptUnless(parent, modMain::unencodableCharacters(text));
}

bool acceptEntry(QWidget* parent, const QString& name, const QString& value)
{
    if (!acceptLineText(parent, name + value))
        return false;
    if (modMain::readsBackAsEntry(*modMain::encodeText(name), *modMain::encodeText(value)))
        return true;
    showInformation(parent, QStringLiteral("Parâmetro inválido"),
                    QStringLiteral("O arquivo não leria esse parâmetro de volta como foi digitado: o nome não pode "
                                   "conter \"=\", e um nome que começa com \"[\" não pode ter um valor que termina "
                                   "com \"]\"."));
    return false;
}

void showGroupLimit(QWidget* parent)
{
    showInformation(parent, QStringLiteral("Limite atingido"),
                    QStringLiteral("O documento já tem o número máximo de grupos (32767)."));
}

void showEntryLimit(QWidget* parent)
{
    showInformation(parent, QStringLiteral("Limite atingido"),
                    QStringLiteral("O grupo já tem o número máximo de parâmetros (32767)."));
}
