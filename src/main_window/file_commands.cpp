// Open, Save, Save as and Backup, through the one file dialog of the window.
#include "main_window/frm_main.h"

#include "document/reader.h"
#include "document/text_codec.h"
#include "document/writer.h"
#include "main_window/lists.h"
#include "main_window/messages.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QListWidget>
#include <QTreeWidget>

bool frmMain::AbrirFS9(const QString& path)
{
    // Read into a document of its own: a file that does not load leaves the
    // one on screen untouched.
    modMain::ReadResult read = modMain::readDocument(path);
    if (!read.document) {
        showCritical(this, QStringLiteral("Erro"),
                     QStringLiteral("Não foi possível abrir o arquivo\n%1\n\n%2")
                         .arg(QDir::toNativeSeparators(path), read.error));
        return false;
    }
    document_ = std::move(*read.document);
    lstConteudo->clear();
    QStringList headers;
    headers.reserve(document_.GroupCount());
    for (const modMain::GroupRecord& group : document_.Groups)
        headers.append(modMain::decodeText(document_.text(group.Header)));
    menSalvar->setEnabled(true);
    menBackup->setEnabled(true);
    CurrentFile_ = path;
    fillGroupRows(lstGrupos, headers);
    return true;
}

QString frmMain::chooseFile(bool forSaving)
{
    cmd->setAcceptMode(forSaving ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    cmd->setFileMode(forSaving ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    if (cmd->exec() != QDialog::Accepted || cmd->selectedFiles().isEmpty())
        return {};
    return cmd->selectedFiles().constFirst();
}

bool frmMain::writeTo(const QString& path)
{
    const modMain::SaveResult saved = modMain::saveDocument(document_, path);
    if (!saved.saved) {
        showCritical(this, QStringLiteral("Erro"),
                     QStringLiteral("Não foi possível salvar o arquivo\n%1\n\n%2")
                         .arg(QDir::toNativeSeparators(path), saved.error));
    }
    return saved.saved;
}

void frmMain::openFile()
{
    const QString path = chooseFile(false);
    if (!path.isEmpty() && AbrirFS9(path))
        setWindowTitle(QStringLiteral("Planora - ") + QFileInfo(path).fileName());
}

void frmMain::saveFile()
{
    if (!CurrentFile_.isEmpty() && writeTo(CurrentFile_))
        showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Arquivo salvo com sucesso!"));
}

void frmMain::saveFileAs()
{
    const QString path = chooseFile(true);
    if (path.isEmpty())
        return;
    CurrentFile_ = path;
    if (writeTo(path))
        showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Arquivo salvo com sucesso!"));
}

void frmMain::backupFile()
{
    const QString path = chooseFile(true);
    if (!path.isEmpty() && writeTo(path))
        showInformation(this, QStringLiteral("Salvo"), QStringLiteral("Backup salvo com sucesso!"));
}
