// Another program's change to the open file (the simulator rewrites it when
// it exits): seen as it happens, and read again, or merged with the pilot's
// unsaved changes so that both are kept.
#include "main_window/frm_main.h"

#include "dialogs/conflicts_dialog.h"
#include "document/file_watch.h"
#include "form_kit/messages.h"
#include "main_window/text_rows.h"

#include <QApplication>
#include <QEvent>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>
#include <QUndoStack>

void frmMain::setWatchingFile(bool watching)
{
    watchingFile_ = watching;
    watchFile();
}

void frmMain::watchFile(bool gone)
{
    fileNotice_.reset();
    fileWatch_->watch(watchingFile_ ? CurrentFile_ : QString(), record_, gone);
}

void frmMain::changeEvent(QEvent* event)
{
    QMainWindow::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && fileNotice_)
        QTimer::singleShot(0, this, &frmMain::actOnFileNotice);
}

void frmMain::noticeFile(std::shared_ptr<modMain::FileNotice> notice)
{
    fileNotice_ = std::move(notice);
    actOnFileNotice();
}

void frmMain::actOnFileNotice()
{
    if (!fileNotice_ || loading_ || !isActiveWindow() || QApplication::activeModalWidget())
        return;
    const std::shared_ptr<modMain::FileNotice> notice = std::exchange(fileNotice_, nullptr);
    // Saved, read or merged since: the file is measured against another record now.
    if (notice->against != record_)
        return;
    if (notice->kind == modMain::FileNotice::Kind::Gone) {
        showInformation(this, QStringLiteral("Planora"),
                        QStringLiteral("O arquivo foi removido ou renomeado por outro programa."));
    } else if (!notice->read.document) {
        showFileFailure(this, QStringLiteral("abrir"), CurrentFile_, notice->read.error);
    } else {
        reportingOutOfMemory(this, [&] { actOnChangedFile(std::move(notice->read)); });
    }
    // Another change may have come while a dialog was open.
    if (fileNotice_)
        QTimer::singleShot(0, this, &frmMain::actOnFileNotice);
}

void frmMain::actOnChangedFile(modMain::ReadResult read)
{
    if (history_->isClean()) {
        reloadFrom(std::move(read));
        return;
    }
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
        mergeWith(std::move(read));
    else if (box.clickedButton() == reload)
        reloadFrom(std::move(read));
}

void frmMain::reloadFrom(modMain::ReadResult read)
{
    keepSelection();
    // Room for the rows first: once the document is replaced, showing them cannot fail.
    entryRows_->makeRoom(read.document->entrySlotsOf(keptSelection_.header));
    document_.replace(std::move(*read.document));
    record_ = std::move(read.record);
    savedBase_.reset();
    showKeptSelection(false);
    watchFile();
}

bool frmMain::mergeWith(modMain::ReadResult theirs)
{
    const QString title = QStringLiteral("Mesclar");
    // The base: the content last saved while the history reaches that save,
    // else the file the document was read from.
    const bool fromSave = savedBase_ && history_->cleanIndex() >= 0;
    modMain::ReadResult base = modMain::parseDocument(fromSave ? savedBase_->bytes : document_.document().fileBytes());
    if (!base.document) {
        showCritical(this, title,
                     QStringLiteral("O arquivo como o Planora o leu não pôde ser lido de novo:\n%1").arg(base.error));
        return false;
    }
    const modMain::BaseMap map = fromSave ? savedBase_->map : modMain::mapOfLiveContent(*base.document);
    modMain::MergePlan plan(*base.document, std::move(*theirs.document), document_.document(), map);
    if (plan.outcome() == modMain::MergePlan::Outcome::NothingInCommon) {
        showCritical(this, title,
                     QStringLiteral("O arquivo novo não tem nenhum grupo em comum com o que o Planora leu. "
                                    "Nada foi mesclado."));
        return false;
    }
    std::vector<bool> mineWins;
    if (!plan.conflicts().empty()) {
        std::optional<std::vector<bool>> chosen = chooseConflictSides(this, plan.conflicts());
        if (!chosen)
            return false;
        mineWins = std::move(*chosen);
    }
    std::optional<modMain::Document> merged = std::move(plan).merged(mineWins);
    if (!merged) {
        showCritical(this, title,
                     QStringLiteral("A mesclagem passaria do limite de %1 grupos, ou de %1 entradas em um grupo. "
                                    "Nada foi mesclado.")
                         .arg(modMain::kMaxSlots));
        return false;
    }
    keepSelection();
    if (const modMain::EditOutcome outcome = document_.merge(std::move(*merged));
        outcome != modMain::EditOutcome::Done) {
        showRefusal(this, outcome);
        return false;
    }
    // Saving writes the merge over the file it was made with, without asking.
    record_ = std::move(theirs.record);
    savedBase_.reset();
    watchFile();
    return true;
}
