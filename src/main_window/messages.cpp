#include "main_window/messages.h"

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

bool askYesNo(QWidget* parent, const QString& title, const QString& text)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setDefaultButton(QMessageBox::Yes);
    return box.exec() == QMessageBox::Yes;
}

bool acceptLineText(QWidget* parent, const QString& text)
{
    return acceptUnless(parent, modMain::unwritableInLine(text));
}
