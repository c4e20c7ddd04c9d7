// The commands on the simulator's own file, and leaving the program.
#include "main_window/frm_main.h"

#include "document/file_access.h"
#include "form_kit/messages.h"
#include "main_window/fs9_path.h"

#include <QFile>

void frmMain::locateFS9()
{
    const QString path = defaultFS9File();
    if (!modMain::canOpenForReading(path)) {
        showInformation(this, QStringLiteral("FS9.cfg não encontrado"),
                        QStringLiteral("Não foi possível encontrar o fs9.cfg. Por favor, abra-o manualmente "
                                       "através do menu Arquivo->Abrir..."));
        return;
    }
    AbrirFS9(path);
}

void frmMain::deleteFS9()
{
    if (!askYesNo(this, QStringLiteral("Pergunta"), QStringLiteral("Tem certeza que deseja excluir o fs9.cfg?")))
        return;
    // A read-only file is as good as locked: it stays, even for root.
    const QString path = defaultFS9File();
    if (!modMain::isReadOnlyFile(path) && QFile::remove(path))
        showInformation(this, QStringLiteral("Exluído"), QStringLiteral("Arquivo excluído!"));
    else
        showCritical(this, QStringLiteral("Erro"), QStringLiteral("Arquivo não encontrado"));
}

void frmMain::exitProgram()
{
    if (askYesNo(this, QStringLiteral("Confirmar saída"), QStringLiteral("Tem certeza que deseja sair?")))
        close();
}
