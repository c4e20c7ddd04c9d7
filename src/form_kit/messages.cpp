#include "form_kit/messages.h"

#include <QDir>
#include <QInputDialog>
#include <QLineEdit>
#include <QMessageBox>

#include <limits>

namespace {

void show(QWidget* parent, QMessageBox::Icon icon, const QString& title, const QString& text)
{
    QMessageBox box(icon, title, text, QMessageBox::Ok, parent);
    box.exec();
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

QString pathText(const QString& path)
{
    // A zero-width space after each separator is where a line may break.
    QString text = QDir::toNativeSeparators(path);
    const QChar separator = QDir::separator();
    text.replace(separator, QString(separator) + QChar(0x200B));
    return text;
}

void showFileFailure(QWidget* parent, const QString& verb, const QString& path, const QString& reason)
{
    showCritical(
        parent, QStringLiteral("Erro"),
        QStringLiteral("Não foi possível %1 o arquivo\n%2\n\n%3").arg(verb, QDir::toNativeSeparators(path), reason));
}

bool askYesNo(QWidget* parent, const QString& title, const QString& text, bool yesIsDefault,
              const QString& informativeText)
{
    QMessageBox box(QMessageBox::Question, title, text, QMessageBox::Yes | QMessageBox::No, parent);
    box.setInformativeText(informativeText);
    box.setDefaultButton(yesIsDefault ? QMessageBox::Yes : QMessageBox::No);
    return box.exec() == QMessageBox::Yes;
}

std::optional<QString> askText(QWidget* parent, const QString& title, const QString& prompt, const QString& text)
{
    // A line edit lays out its whole text again at each blink of the cursor:
    // a long text is shown in lines of its own, which a text box lays out only
    // as they come into view. A text of one line has no line breaks of its own,
    // so those are dropped again from the answer.
    constexpr qsizetype kLongText = 10'000;
    constexpr qsizetype kShownLine = 1'000;
    const bool inLines = text.size() > kLongText;
    QInputDialog box(parent);
    box.setWindowTitle(title);
    box.setLabelText(prompt);
    box.setOption(QInputDialog::UsePlainTextEditForTextInput, inLines);
    box.setInputMode(QInputDialog::TextInput);  // makes the line edit
    // A line edit cuts its text at 32767 characters unless told otherwise.
    if (auto* field = box.findChild<QLineEdit*>())
        field->setMaxLength(std::numeric_limits<int>::max());
    QString shown = text;
    if (inLines) {
        shown.clear();
        for (qsizetype start = 0; start < text.size(); start += kShownLine)
            shown += (start ? QStringLiteral("\n") : QString()) + text.mid(start, kShownLine);
    }
    box.setTextValue(shown);
    if (box.exec() != QDialog::Accepted)
        return std::nullopt;
    return inLines ? box.textValue().remove(u'\n') : box.textValue();
}

void showRefusal(QWidget* parent, modMain::EditOutcome outcome)
{
    switch (outcome) {
    case modMain::EditOutcome::Done:
    case modMain::EditOutcome::Unchanged:
    case modMain::EditOutcome::NoTarget:
    case modMain::EditOutcome::UnreadableLine:  // its dialog names the line
        return;
    case modMain::EditOutcome::FirstLineNotHeader:
        showInformation(parent, QStringLiteral("Grupo Inválido"),
                        QStringLiteral("A primeira linha deve ser obrigatóriamente o grupo ao qual as propriedades "
                                       "pertencem. Ex [grupo1]"));
        return;
    case modMain::EditOutcome::TooManyGroups:
        showInformation(parent, QStringLiteral("Limite atingido"),
                        QStringLiteral("O documento já tem o número máximo de grupos (%1).").arg(modMain::kMaxSlots));
        return;
    case modMain::EditOutcome::TooManyEntries:
        showInformation(parent, QStringLiteral("Limite atingido"),
                        QStringLiteral("O grupo já tem o número máximo de parâmetros (%1).").arg(modMain::kMaxSlots));
        return;
    case modMain::EditOutcome::OutOfMemory:
        showCritical(parent, QStringLiteral("Erro"),
                     QStringLiteral("Não há memória suficiente para concluir o comando."));
        return;
    }
}
