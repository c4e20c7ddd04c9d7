// Another program's change to the open file (the simulator rewrites it when
// it exits): seen as it happens, and read again, or merged with the pilot's
// unsaved changes so that both are kept.
#include "main_window/frm_main.h"

#include "dialogs/conflicts_dialog.h"
#include "form_kit/messages.h"
#include "main_window/text_rows.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && file_.hasNotice())
        QTimer::singleShot(0, this, &frmMain::actOnFileNotice);
}

void frmMain::actOnFileNotice()
{
    using Kind = modMain::DocumentFile::NoticeAction::Kind;
    if (!file_.hasNotice() || !isActiveWindow() || QApplication::activeModalWidget())
        return;
    modMain::DocumentFile::NoticeAction action = file_.takeNotice();
    switch (action.kind) {
    case Kind::None:
        break;
    case Kind::TellGone:
        showInformation(this, QStringLiteral("Planora"),
                        QStringLiteral("O arquivo foi removido ou renomeado por outro programa."));
        break;
    case Kind::TellUnreadable:
        showFileFailure(this, QStringLiteral("abrir"), file_.path(), action.read.error);
        break;
    case Kind::Reload:
        reportingOutOfMemory(this, [&] { reloadFrom(std::move(action.read)); });
        break;
    case Kind::AskMergeOrReload:
        reportingOutOfMemory(this, [&] { askAboutChangedFile(std::move(action.read)); });
        break;
    }
    // Another change may have come while a dialog was open.
    if (file_.hasNotice())
        QTimer::singleShot(0, this, &frmMain::actOnFileNotice);
}

void frmMain::askAboutChangedFile(modMain::ReadResult read)
{
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Planora"),
                    QStringLiteral("O arquivo foi alterado por outro programa."), QMessageBox::NoButton, this);
    box.setInformativeText(
        QStringLiteral("Suas alterações ainda não foram salvas. Deseja mesclá-las com o arquivo novo?"));
    QPushButton* merge = box.addButton(QStringLiteral("Mesclar"), QMessageBox::AcceptRole);
    QPushButton* reload = box.addButton(QStringLiteral("Recarregar"), QMessageBox::DestructiveRole);
    QPushButton* keep = box.addButton(QStringLiteral("Manter as minhas"), QMessageBox::RejectRole);
    box.setDefaultButton(merge);
    box.setEscapeButton(keep);
    box.exec();
    if (box.clickedButton() == merge)
        mergeWith(file_.planMerge(std::move(read)));
    else if (box.clickedButton() == reload)
        reloadFrom(std::move(read));
}

void frmMain::reloadFrom(modMain::ReadResult read)
{
    keepSelection();
    // Room for the rows first: once the document is replaced, showing them cannot fail.
    entryRows_->makeRoom(read.document->entrySlotsOf(keptSelection_.header));
    showRefusal(this, file_.reload(std::move(read)));
}

bool frmMain::mergeWith(modMain::DocumentFile::PlannedMerge planned)
{
    using Outcome = modMain::DocumentFile::PlannedMerge::Outcome;
    const QString title = QStringLiteral("Mesclar");
    switch (planned.outcome) {
    case Outcome::Planned:
        break;
    case Outcome::Unreadable:
        showFileFailure(this, QStringLiteral("abrir"), file_.path(), planned.error);
        return false;
    case Outcome::BaseUnreadable:
        showCritical(
            this, title,
            QStringLiteral("O arquivo como o Planora o leu não pôde ser lido de novo:\n%1").arg(planned.error));
        return false;
    case Outcome::NothingInCommon:
        showCritical(this, title,
                     QStringLiteral("O arquivo novo não tem nenhum grupo em comum com o que o Planora leu. "
                                    "Nada foi mesclado."));
        return false;
    }
    std::vector<bool> mineWins;
    if (!planned.plan->conflicts().empty()) {
        std::optional<std::vector<bool>> chosen = chooseConflictSides(this, planned.plan->conflicts());
        if (!chosen)
            return false;
        mineWins = std::move(*chosen);
    }
    keepSelection();
    const modMain::EditOutcome outcome = file_.applyMerge(std::move(planned), mineWins);
    if (outcome == modMain::EditOutcome::TooManyGroups) {
        showCritical(this, title,
                     QStringLiteral("A mesclagem passaria do limite de %1 grupos, ou de %1 entradas em um grupo. "
                                    "Nada foi mesclado.")
                         .arg(modMain::kMaxSlots));
        return false;
    }
    showRefusal(this, outcome);
    return outcome == modMain::EditOutcome::Done;
}
