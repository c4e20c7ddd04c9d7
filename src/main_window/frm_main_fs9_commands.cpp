// The commands on the simulator's own file, and leaving the program.
#include "main_window/frm_main.h"

#include "dialogs/fs9_choice.h"
#include "files/file_reading.h"
#include "files/file_reasons.h"
#include "files/fs9_path.h"
#include "files/trash.h"
#include "form_kit/messages.h"

#include <QDir>
#include <QEventLoop>
#include <QFileInfo>
#include <QProgressDialog>
#include <QTimer>

#include <mutex>
#include <thread>

std::optional<QList<frmMain::FoundFS9>> frmMain::searchFS9()
{
    // The search runs on a thread of its own, which a stalled file system may
    // keep for as long as it stalls: the window never waits on it, and when
    // the user cancels, what it finds later is dropped with it.
    struct Search {
        std::mutex lock;
        std::optional<QList<FoundFS9>> found;
    };
    auto search = std::make_shared<Search>();
    std::thread([search, look = fs9Search_] {
        QList<FoundFS9> found;
        for (const files::FS9File& file : look())
            found.append({file.path, file.modified, files::canOpenForReading(file.path)});
        const std::lock_guard guard(search->lock);
        search->found = std::move(found);
    }).detach();
    const auto found = [search] {
        const std::lock_guard guard(search->lock);
        return search->found;
    };

    // Half a second without a word, the window drawing itself but taking no input.
    QTimer poll;
    poll.setInterval(10);
    QEventLoop quiet;
    connect(&poll, &QTimer::timeout, &quiet, [&] {
        if (found())
            quiet.quit();
    });
    QTimer::singleShot(500, &quiet, &QEventLoop::quit);
    poll.start();
    quiet.exec(QEventLoop::ExcludeUserInputEvents);
    if (std::optional<QList<FoundFS9>> done = found())
        return done;

    // Then a box that says so and can end the command.
    QProgressDialog progress(QStringLiteral("Procurando o fs9.cfg..."), QStringLiteral("Cancelar"), 0, 0, this);
    progress.setWindowTitle(QStringLiteral("Planora"));
    progress.setWindowModality(Qt::ApplicationModal);
    connect(&poll, &QTimer::timeout, &progress, [&] {
        if (found())
            progress.accept();
    });
    connect(&progress, &QProgressDialog::canceled, &progress, &QDialog::reject);
    if (progress.exec() != QDialog::Accepted)
        return std::nullopt;
    return found();
}

void frmMain::locateFS9()
{
    const std::optional<QList<FoundFS9>> found = searchFS9();
    if (!found)
        return;
    // Found in several places (Wine prefixes), the user says which.
    qsizetype chosen = 0;
    if (found->size() > 1) {
        QList<std::pair<QString, QDateTime>> files;
        for (const FoundFS9& file : *found)
            files.append({file.path, file.modified});
        const std::optional<qsizetype> choice = chooseFS9File(this, files);
        if (!choice)
            return;
        chosen = *choice;
    }
    if (found->isEmpty() || !found->at(chosen).opens) {
        showInformation(this, QStringLiteral("FS9.cfg não encontrado"),
                        QStringLiteral("Não foi possível encontrar o fs9.cfg. Por favor, abra-o manualmente "
                                       "através do menu Arquivo->Abrir..."));
        return;
    }
    if (maySetDocumentAside())
        AbrirFS9(found->at(chosen).path);
}

void frmMain::deleteFS9()
{
    const std::optional<QList<FoundFS9>> found = searchFS9();
    if (!found)
        return;
    // Nothing to ask about where there is no file.
    if (found->isEmpty() || !QFileInfo::exists(found->constFirst().path)) {
        showCritical(this, QStringLiteral("Erro"), QStringLiteral("Arquivo não encontrado"));
        return;
    }
    const QString path = found->constFirst().path;
    if (!askYesNo(this, QStringLiteral("Pergunta"), QStringLiteral("Tem certeza que deseja excluir o fs9.cfg?"), true,
                  pathText(path)))
        return;
    // Into the desktop's trash, from where it can come back. A read-only file
    // is as good as locked: it stays, even for root.
    const bool openHere = file_.holds(path);
    const QString refused = files::isReadOnlyFile(path) ? files::readOnlyReason() : files::moveToTrash(path);
    if (!refused.isEmpty()) {
        showFileFailure(this, QStringLiteral("excluir"), path, refused);
        return;
    }
    // Removed by this program, not by another one: nothing to tell, but nothing on disk holds the document.
    if (openHere)
        file_.removedHere();
    showInformation(this, QStringLiteral("Exluído"), QStringLiteral("Arquivo excluído!"));
}

void frmMain::exitProgram()
{
    // With unsaved changes, closing asks about them, and nothing else.
    if (!file_.isSaved() ||
        askYesNo(this, QStringLiteral("Confirmar saída"), QStringLiteral("Tem certeza que deseja sair?")))
        close();
}
