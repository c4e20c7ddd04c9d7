// Open, Save, Save as and Backup, through the one file dialog of the window;
// the caption that names the file, and the question before unsaved changes go.
#include "main_window/frm_main.h"

#include "document/reader.h"
#include "document/writer.h"
#include "form_kit/messages.h"

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
#include <QUndoStack>
#include <QUrl>

bool frmMain::AbrirFS9(const QString& path)
{
    // Read into a document of its own: a file that does not load leaves the
    // one on screen untouched.
    // While another program finishes writing the file, the window goes on
    // drawing itself; a change it notices meanwhile waits.
    loading_ = true;
    modMain::ReadResult read = modMain::readDocument(
        path, [] { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); });
    loading_ = false;
    if (!read.document) {
        showFileFailure(this, QStringLiteral("abrir"), path, read.error);
        return false;
    }
    document_.replace(std::move(*read.document));
    menSalvar->setEnabled(true);
    menBackup->setEnabled(true);
    CurrentFile_ = path;
    record_ = std::move(read.record);
    savedBase_.reset();
    watchFile();
    updateCaption();
    return true;
}

void frmMain::updateCaption()
{
    const QString file = CurrentFile_.isEmpty() ? QString()
                                                : QStringLiteral(" - ") + QFileInfo(CurrentFile_).fileName();
    setWindowTitle(QStringLiteral("Planora") + file + QStringLiteral("[*]"));
}

bool frmMain::maySetDocumentAside()
{
    if (history_->isClean() || leavingUnsaved_)
        return true;
    QMessageBox box(QMessageBox::Warning, QStringLiteral("Planora"),
                    QStringLiteral("O documento tem alterações que não foram salvas."),
                    QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel, this);
    box.setInformativeText(QStringLiteral("Deseja salvá-las antes de continuar?"));
    box.setDefaultButton(QMessageBox::Save);
    box.setEscapeButton(QMessageBox::Cancel);
    switch (box.exec()) {
    case QMessageBox::Save:
        return CurrentFile_.isEmpty() ? saveFileAs() : saveFile();
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

QString frmMain::chooseFile(bool forSaving)
{
    // The first time, the dialog opens where the file Save writes lives, else
    // at home; after that where it was left, with the name last chosen.
    if (!fileDialogShown_) {
        cmd->setDirectory(CurrentFile_.isEmpty() ? QDir::homePath() : QFileInfo(CurrentFile_).absolutePath());
        fileDialogShown_ = true;
    }
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
ChangedFileAnswer askAboutChangedFile(QWidget* parent)
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

bool frmMain::writeTo(const QString& path, bool becomesCurrent, std::optional<modMain::FileBytes>* written)
{
    files::OnDisk onDisk = files::compareWithDisk(record_, path);
    // Once merged, the file is measured against the file merged with: should
    // it have changed again meanwhile, the question comes again.
    while (onDisk == files::OnDisk::Changed) {
        const ChangedFileAnswer answer = askAboutChangedFile(this);
        if (answer == ChangedFileAnswer::Cancel)
            return false;
        if (answer == ChangedFileAnswer::Replace)
            break;
        modMain::ReadResult read = modMain::readDocument(path);
        if (!read.document) {
            showFileFailure(this, QStringLiteral("abrir"), path, read.error);
            return false;
        }
        if (!mergeWith(std::move(read)))
            return false;
        onDisk = files::compareWithDisk(record_, path);
    }
    files::SaveResult saved = modMain::saveDocument(document_.document(), path, written);
    if (!saved.saved) {
        showFileFailure(this, QStringLiteral("salvar"), path, saved.error);
        return false;
    }
    if (becomesCurrent || onDisk != files::OnDisk::Elsewhere) {
        record_ = std::move(saved.record);
        savedBase_.reset();
        watchFile();
    }
    return true;
}

bool frmMain::saveTo(const QString& path)
{
    std::optional<modMain::FileBytes> written;
    if (!writeTo(path, true, &written))
        return false;
    history_->setClean();
    // What was written is what a later merge starts from; without the
    // memory for it, the file read before does, which only asks more.
    try {
        if (written)
            savedBase_ = SavedBase{std::move(*written), modMain::mapOfLiveContent(document_.document())};
    } catch (const std::bad_alloc&) {
        savedBase_.reset();
    }
    showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Arquivo salvo com sucesso!"));
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
    if (const QString path = chooseFile(false); !path.isEmpty())
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
    return !CurrentFile_.isEmpty() && saveTo(CurrentFile_);
}

bool frmMain::saveFileAs()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return false;
    // Save writes where Save as wrote, and the caption says so, even when this write fails.
    CurrentFile_ = path;
    updateCaption();
    return saveTo(path);
}

void frmMain::backupFile()
{
    const QString path = chooseFile(true);
    if (!path.isEmpty() && writeTo(path, false))
        showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Backup salvo com sucesso!"));
}
