// Open, Save, Save as and Backup, through the one file dialog of the window;
// the caption that names the file, and the question before unsaved changes go.
#include "main_window/frm_main.h"

#include "dialogs/differences_dialog.h"
#include "dialogs/versions_dialog.h"
#include "document/reader.h"
#include "form_kit/messages.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QDir>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

bool frmMain::AbrirFS9(const QString& path)
{
    using Kind = modMain::DocumentFile::ReadOutcome::Kind;
    // While another program finishes writing the file, the window goes on drawing itself.
    const auto read = [&] {
        return file_.open(path, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    };
    modMain::DocumentFile::ReadOutcome outcome = read();
    if (outcome.kind == Kind::UnfinishedSave) {
        // The file may be torn: what it held before the save is offered back.
        const bool restore = askYesNo(this, QStringLiteral("Gravação interrompida"),
                                      QStringLiteral("Uma gravação anterior deste arquivo não terminou. Restaurar o "
                                                     "conteúdo que ele tinha antes?"),
                                      true, QDir::toNativeSeparators(path));
        const QString error = file_.settleUnfinishedSave(path, restore ? modMain::DocumentFile::Unfinished::Restore
                                                                       : modMain::DocumentFile::Unfinished::Keep);
        if (!error.isEmpty()) {
            showFileFailure(this, QStringLiteral("restaurar"), path, error);
            return false;
        }
        outcome = read();
    }
    if (outcome.kind != Kind::Read) {
        showFileFailure(this, QStringLiteral("abrir"), path, outcome.error);
        return false;
    }
    menSalvar->setEnabled(true);
    menBackup->setEnabled(true);
    menVersoes->setEnabled(true);
    updateCaption();
    return true;
}

void frmMain::updateCaption()
{
    const QString file = file_.path().isEmpty() ? QString()
                                                : QStringLiteral(" - ") + QFileInfo(file_.path()).fileName();
    setWindowTitle(QStringLiteral("Planora") + file + QStringLiteral("[*]"));
}

bool frmMain::maySetDocumentAside()
{
    if (file_.isSaved() || leavingUnsaved_)
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Planora"),
                    QStringLiteral("O documento tem alterações que não foram salvas."),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setInformativeText(QStringLiteral("Deseja salvá-las antes de continuar?"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return file_.path().isEmpty() ? saveFileAs() : saveFile();
    case QMessageBox::Discard:
        return true;
    default:
        return false;
    }
}

bool frmMain::mayEndSession()
{
    leavingUnsaved_ = maySetDocumentAside();
    return leavingUnsaved_;
}

void frmMain::closeEvent(QCloseEvent* event)
{
    if (maySetDocumentAside())
        event->accept();
    else
        event->ignore();
}

QString frmMain::chooseFile(Choosing choosing)
{
    const bool forSaving = choosing == Choosing::ToSave;
    // The dialog opens in the folder of the file last opened or saved; with
    // none, at home the first time and where it was left after that. A save
    // offers that file's name; an open, none.
    const QFileInfo current(file_.path());
    if (!file_.path().isEmpty())
        cmd->setDirectory(current.absolutePath());
    else if (!fileDialogShown_)
        cmd->setDirectory(QDir::homePath());
    fileDialogShown_ = true;
    cmd->selectFile(forSaving && !file_.path().isEmpty() ? current.fileName() : QString());
    cmd->setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    cmd->setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // A name typed for saving without an extension gets ".cfg".
    cmd->setDefaultSuffix(forSaving ? QStringLiteral("cfg") : QString());
    if (cmd->exec() != QDialog::Accepted || cmd->selectedFiles().isEmpty())
        return {};
    return cmd->selectedFiles().constFirst();
}

namespace {

enum class ChangedFileAnswer { Replace, Merge, Cancel };

// Writing over another program's change: replace it, merge with it first, or
// write nothing (the default).
ChangedFileAnswer askWriteOverChange(QWidget* parent)
{
    QMessageBox box(QMessageBox::Question, QStringLiteral("Arquivo alterado"),
                    QStringLiteral("O arquivo foi alterado por outro programa depois que o Planora o abriu.\n"
                                   "Deseja substituí-lo mesmo assim?"),
                    QMessageBox::Yes | QMessageBox::No, parent);
    QPushButton* merge = box.addButton(QStringLiteral("Mesclar"), QMessageBox::AcceptRole);
    box.setDefaultButton(QMessageBox::No);
    box.setEscapeButton(QMessageBox::No);
    box.exec();
    if (box.clickedButton() == merge)
        return ChangedFileAnswer::Merge;
    return box.clickedButton() == box.button(QMessageBox::Yes) ? ChangedFileAnswer::Replace : ChangedFileAnswer::Cancel;
}

}  // namespace

bool frmMain::written(const QString& path, const Write& write)
{
    using Check = modMain::DocumentFile::Check;
    using Kind = modMain::DocumentFile::WriteOutcome::Kind;
    modMain::DocumentFile::WriteOutcome outcome = write(Check::AskIfChanged);
    // Once merged, the file is measured against the file merged with: should
    // it have changed again meanwhile, the question comes again.
    while (outcome.kind == Kind::ChangedOutside) {
        const ChangedFileAnswer answer = askWriteOverChange(this);
        if (answer == ChangedFileAnswer::Cancel)
            return false;
        if (answer == ChangedFileAnswer::Merge && !mergeWith(file_.planMergeWith(path)))
            return false;
        outcome = write(answer == ChangedFileAnswer::Replace ? Check::Overwrite : Check::AskIfChanged);
    }
    if (outcome.kind == Kind::Failed) {
        showFileFailure(this, QStringLiteral("salvar"), path, outcome.error);
        return false;
    }
    return true;
}

void frmMain::openPath(const QString& path)
{
    if (maySetDocumentAside())
        AbrirFS9(path);
}

void frmMain::openFile()
{
    if (!maySetDocumentAside())
        return;
    if (const QString path = chooseFile(Choosing::ToOpen); !path.isEmpty())
        AbrirFS9(path);
}

namespace {

// The one local file, not a folder, that a drag carries; empty for anything else.
QString draggedFile(const QMimeData* data)
{
    const QList<QUrl> urls = data->urls();
    if (urls.size() != 1 || !urls.constFirst().isLocalFile())
        return {};
    const QString path = urls.constFirst().toLocalFile();
    return QFileInfo(path).isDir() ? QString() : path;
}

}  // namespace

void frmMain::dragEnterEvent(QDragEnterEvent* event)
{
    if (!draggedFile(event->mimeData()).isEmpty())
        event->acceptProposedAction();
}

void frmMain::dropEvent(QDropEvent* event)
{
    const QString path = draggedFile(event->mimeData());
    if (path.isEmpty())
        return;
    event->acceptProposedAction();
    // Opened after the drop has ended, so that the dragging program is not kept waiting on a message.
    QTimer::singleShot(0, this, [this, path] { openPath(path); });
}

bool frmMain::saveFile()
{
    if (file_.path().isEmpty() ||
        !written(file_.path(), [this](modMain::DocumentFile::Check check) { return file_.save(check); }))
        return false;
    showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Arquivo salvo com sucesso!"));
    return true;
}

bool frmMain::saveFileAs()
{
    const QString path = chooseFile(Choosing::ToSave);
    if (path.isEmpty())
        return false;
    // Save writes where Save as wrote, and the caption says so, even when this write fails.
    const bool done = written(path,
                              [this, path](modMain::DocumentFile::Check check) { return file_.saveAs(path, check); });
    updateCaption();
    if (done)
        showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Arquivo salvo com sucesso!"));
    return done;
}

void frmMain::backupFile()
{
    const QString path = chooseFile(Choosing::ToSave);
    if (!path.isEmpty() &&
        written(path, [this, path](modMain::DocumentFile::Check check) { return file_.backup(path, check); }))
        showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Backup salvo com sucesso!"));
}

void frmMain::showVersions()
{
    if (file_.path().isEmpty())
        return;
    // A restore lists the groups anew, the one selected kept.
    keepSelection();
    VersionsDialog(this, document_, file_.versions(), file_.versionsOf()).exec();
}

void frmMain::compareWithFile()
{
    const QString path = chooseFile(Choosing::ToOpen);
    if (path.isEmpty())
        return;
    const modMain::ReadResult read = modMain::readDocument(
        path, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    if (!read.document) {
        showFileFailure(this, QStringLiteral("abrir"), path, read.error);
        return;
    }
    keepSelection();
    applyDifferences(this, document_, *read.document, QStringLiteral("Comparar com %1").arg(QFileInfo(path).fileName()),
                     QStringLiteral("No arquivo"));
}

void frmMain::tellVersionsNotKept(const QString& reason)
{
    // Told over the window once nothing else is: the read or the save that kept it went on.
    if (QApplication::activeModalWidget()) {
        QTimer::singleShot(500, this, [this, reason] { tellVersionsNotKept(reason); });
        return;
    }
    showInformation(this, QStringLiteral("Versões anteriores"),
                    QStringLiteral("Não foi possível guardar as versões anteriores do arquivo; o Planora continua "
                                   "a abrir e salvar o arquivo normalmente.\n\n%1")
                        .arg(reason));
}
