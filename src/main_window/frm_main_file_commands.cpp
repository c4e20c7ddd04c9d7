// Open, Save, Save as and Backup, through the one file dialog of the window;
// the caption that names the file, and the question before unsaved changes go.
#include "main_window/frm_main.h"

#include "document/reader.h"
#include "document/writer.h"
#include "form_kit/messages.h"

#include <QCloseEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QMimeData>
#include <QTimer>
#include <QUndoStack>
#include <QUrl>

bool frmMain::AbrirFS9(const QString& path)
{
    // Read into a document of its own: a file that does not load leaves the
    // one on screen untouched.
    modMain::ReadResult read = modMain::readDocument(path);
    if (!read.document) {
        showFileFailure(this, QStringLiteral("abrir"), path, read.error);
        return false;
    }
    document_.replace(std::move(*read.document));
    menSalvar->setEnabled(true);
    menBackup->setEnabled(true);
    CurrentFile_ = path;
    baselinePath_ = path;
    baseline_ = read.stamp;
    updateCaption();
    return true;
}

void frmMain::updateCaption()
{
    const QString file = CurrentFile_.isEmpty() ? QString() : QStringLiteral(" - ") + QFileInfo(CurrentFile_).fileName();
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

void frmMain::closeEvent(QCloseEvent* event)
{
    if (maySetDocumentAside())
        event->accept();
    else
        event->ignore();
}

QString frmMain::chooseFile(bool forSaving)
{
    cmd->setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    cmd->setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // A name typed for saving without an extension gets ".cfg".
    cmd->setDefaultSuffix(forSaving ? QStringLiteral("cfg") : QString());
    if (cmd->exec() != QDialog::Accepted || cmd->selectedFiles().isEmpty())
        return {};
    return cmd->selectedFiles().constFirst();
}

std::optional<modMain::FileStamp> frmMain::writeTo(const QString& path)
{
    const modMain::SaveResult saved = modMain::saveDocument(document_.document(), path);
    if (!saved.saved) {
        showFileFailure(this, QStringLiteral("salvar"), path, saved.error);
        return std::nullopt;
    }
    return saved.stamp;
}

bool frmMain::mayReplace(const QString& path)
{
    if (path != baselinePath_)
        return true;
    // A file that has gone meanwhile is simply written again.
    const std::optional<modMain::FileStamp> now = modMain::fileStamp(path);
    if (!now || *now == baseline_)
        return true;
    return askYesNo(this, QStringLiteral("Arquivo alterado"),
                    QStringLiteral("O arquivo foi alterado por outro programa depois que o Planora o abriu.\n"
                                   "Deseja substituí-lo mesmo assim?"),
                    false);
}

bool frmMain::saveKeepingBaseline(const QString& path)
{
    if (!mayReplace(path))
        return false;
    const std::optional<modMain::FileStamp> written = writeTo(path);
    if (!written)
        return false;
    baselinePath_ = path;
    baseline_ = *written;
    history_->setClean();
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
    return !CurrentFile_.isEmpty() && saveKeepingBaseline(CurrentFile_);
}

bool frmMain::saveFileAs()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return false;
    // Save writes where Save as wrote, and the caption says so, even when this write fails.
    CurrentFile_ = path;
    updateCaption();
    return saveKeepingBaseline(path);
}

void frmMain::backupFile()
{
    const QString path = chooseFile(true);
    if (!path.isEmpty() && writeTo(path))
        showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Backup salvo com sucesso!"));
}
