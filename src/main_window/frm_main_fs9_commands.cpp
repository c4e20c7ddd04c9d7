// The commands on the simulator's own file, and leaving the program.
#include "main_window/frm_main.h"

#include "document/file_access.h"
#include "document/trash.h"
#include "form_kit/messages.h"
#include "main_window/fs9_path.h"

#include <QDir>
#include <QUndoStack>

void frmMain::locateFS9()
{
    const QString path = defaultFS9File();
    if (!modMain::canOpenForReading(path)) {
        showInformation(this, QStringLiteral("FS9.cfg não encontrado"),
                        QStringLiteral("Não foi possível encontrar o fs9.cfg. Por favor, abra-o manualmente "
                                       "através do menu Arquivo->Abrir..."));
        return;
    }
    if (maySetDocumentAside())
        AbrirFS9(path);
}

void frmMain::deleteFS9()
{
    const QString path = defaultFS9File();
    if (!askYesNo(this, QStringLiteral("Pergunta"), QStringLiteral("Tem certeza que deseja excluir o fs9.cfg?"), true,
                  QDir::toNativeSeparators(path)))
        return;
    // Into the desktop's trash, from where it can come back. A read-only file
    // is as good as locked: it stays, even for root.
    if (!path.isEmpty() && !modMain::isReadOnlyFile(path) && modMain::moveToTrash(path))
        showInformation(this, QStringLiteral("Exluído"), QStringLiteral("Arquivo excluído!"));
    else
        showCritical(this, QStringLiteral("Erro"), QStringLiteral("Arquivo não encontrado"));
}

void frmMain::exitProgram()
{
    // With unsaved changes, closing asks about them, and nothing else.
    if (!history_->isClean() || askYesNo(this, QStringLiteral("Confirmar saída"), QStringLiteral("Tem certeza que deseja sair?")))
        close();
}
