#include "window_fixture.h"

#include "files/fs9_path.h"

#include <QDateTime>
#include <QDir>
#include <QTreeWidget>

#ifndef _WIN32
#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

using namespace gui_testing;

namespace {

#ifndef _WIN32
QString loginName()
{
    return QString::fromLocal8Bit(getpwuid(getuid())->pw_name);
}

#endif

}  // namespace

// The simulator's file under ~/.wine, with HOME the test's folder.
class FS9Test : public WindowTest {
protected:
    const QString fs9File = simulatorFile();
};

#ifndef _WIN32
TEST_F(FS9Test, FindsTheSimulatorsFileInEveryWinePrefixOnLinux)
{
    const QString roaming = "/drive_c/users/" + loginName() + "/AppData/Roaming";
    const QString fs9 = "/Microsoft/FS9/fs9.cfg";
    struct File {
        QString path;  // below the home folder
        int age;       // seconds since it was written
    };
    const struct {
        std::vector<File> files;
        QString winePrefix;  // below the home folder; none when empty
        QStringList found;   // the newest first
    } cases[] = {
        {{}, {}, {}},
        {{{"/.wine" + roaming + "/Microsoft/FS9/outro.cfg", 0}}, {}, {}},
        {{{"/.wine" + roaming + fs9, 0}}, {}, {"/.wine" + roaming + fs9}},
        // Any letter case, as Windows matches names; the steamuser folder and the older name of the folder.
        {{{"/.wine/DRIVE_C/Users/steamuser/application data/MICROSOFT/fs9/FS9.CFG", 0}},
         {},
         {"/.wine/DRIVE_C/Users/steamuser/application data/MICROSOFT/fs9/FS9.CFG"}},
        // The prefixes of Bottles (also as a Flatpak), Lutris and PlayOnLinux; any user folder.
        {{{"/.local/share/bottles/bottles/FS9/drive_c/users/piloto/AppData/Roaming" + fs9, 0}},
         {},
         {"/.local/share/bottles/bottles/FS9/drive_c/users/piloto/AppData/Roaming" + fs9}},
        {{{"/.var/app/com.usebottles.bottles/data/bottles/bottles/fs/drive_c/users/x/Application Data" + fs9, 0}},
         {},
         {"/.var/app/com.usebottles.bottles/data/bottles/bottles/fs/drive_c/users/x/Application Data" + fs9}},
        {{{"/.PlayOnLinux/wineprefix/FS2004" + roaming + fs9, 0}},
         "/vazio",
         {"/.PlayOnLinux/wineprefix/FS2004" + roaming + fs9}},
        // Elsewhere every copy, the file written last first; $WINEPREFIX's alone when it holds one.
        {{{"/.wine" + roaming + fs9, 60}, {"/Games/fs9" + roaming + fs9, 10}, {"/escolhido" + roaming + fs9, 30}},
         {},
         {"/Games/fs9" + roaming + fs9, "/.wine" + roaming + fs9}},
        {{{"/.wine" + roaming + fs9, 60}, {"/Games/fs9" + roaming + fs9, 10}, {"/escolhido" + roaming + fs9, 30}},
         "/escolhido",
         {"/escolhido" + roaming + fs9}},
    };
    for (std::size_t i = 0; i < std::size(cases); ++i) {
        const QString home = path("casa" + QString::number(i));
        QDir().mkpath(home);
        for (const File& file : cases[i].files) {
            QDir().mkpath(QFileInfo(home + file.path).path());
            writeFile(home + file.path, "[g]\r\n");
            QFile written(home + file.path);
            ASSERT_TRUE(written.open(QIODevice::ReadWrite));
            written.setFileTime(QDateTime::currentDateTime().addSecs(-file.age), QFileDevice::FileModificationTime);
        }
        const QString winePrefix = cases[i].winePrefix;
        const ScopedVariable caseHome("HOME", QFile::encodeName(home));
        const ScopedVariable casePrefix("WINEPREFIX",
                                        winePrefix.isEmpty() ? QByteArray() : QFile::encodeName(home + winePrefix));
        QStringList found;
        for (const QString& file : cases[i].found)
            found.append(home + file);
        SCOPED_TRACE(i);
        QStringList paths;
        for (const files::FS9File& file : files::findFS9Files())
            paths.append(file.path);
        EXPECT_EQ(paths, found);
        // The application-data folder is the one that holds the newest file.
        EXPECT_EQ(files::FS9Path(files::kCsidlAppData),
                  found.isEmpty() ? QString() : QDir::cleanPath(found[0] + "/../../.."));
    }
    EXPECT_EQ(files::FS9Path(5), QString());

    // A pipe of that name in the chosen prefix never hides a real file in another.
    const QString home = path("casa-pipe");
    QDir().mkpath(home + "/escolhido" + roaming + "/Microsoft/FS9");
    ASSERT_EQ(::mkfifo(QFile::encodeName(home + "/escolhido" + roaming + fs9).constData(), 0644), 0);
    QDir().mkpath(home + "/.wine" + roaming + "/Microsoft/FS9");
    writeFile(home + "/.wine" + roaming + fs9, "[g]\r\n");
    const ScopedVariable pipeHome("HOME", QFile::encodeName(home));
    const ScopedVariable pipePrefix("WINEPREFIX", QFile::encodeName(home + "/escolhido"));
    EXPECT_EQ(files::defaultFS9File(), home + "/.wine" + roaming + fs9);
}

#endif

TEST_F(FS9Test, LocateLoadsTheSimulatorsFileOrSaysItIsMissing)
{
    const QString other = load("[antigo]\r\n");
    expectMessage(choose("menProcurar", {QMessageBox::Ok}).at(0), QMessageBox::Information, "FS9.cfg não encontrado",
                  "Não foi possível encontrar o fs9.cfg. Por favor, abra-o manualmente através do menu "
                  "Arquivo->Abrir...");
    EXPECT_EQ(window->CurrentFile(), other);

    writeFile(fs9File, "[SOUND]\r\nSOUND=1\r\nlinha ruim\r\n");
    expectMessage(choose("menProcurar", {QMessageBox::Ok}).at(0), QMessageBox::Critical, "Erro",
                  "Não foi possível abrir o arquivo\n" + QDir::toNativeSeparators(fs9File) +
                      "\n\nLinha 3: a linha não é um grupo nem tem \"=\".");
    EXPECT_EQ(window->CurrentFile(), other);
    EXPECT_EQ(rowsOf(groups), QStringList{"[antigo]"});

    writeFile(fs9File, "[SOUND]\r\nSOUND=1\r\n[DISPLAY]\r\n");
    EXPECT_TRUE(choose("menProcurar", {}).empty());
    EXPECT_EQ(rowsOf(groups), (QStringList{"[SOUND]", "[DISPLAY]"}));
    EXPECT_EQ(window->CurrentFile(), fs9File);
    EXPECT_EQ(caption(), "Planora - fs9.cfg");  // the file Save writes
}

#ifndef _WIN32
TEST_F(FS9Test, LocateAsksWhichCopyToOpenWhenThereAreSeveralOnLinux)
{
    // ~/.wine's copy written a minute ago, Lutris's now.
    const QString newer = path("Games/fs9/drive_c/users/" + loginName() + "/AppData/Roaming/Microsoft/FS9/fs9.cfg");
    QDir().mkpath(QFileInfo(newer).path());
    writeFile(newer, "[novo]\r\n");
    writeFile(fs9File, "[velho]\r\n");
    QFile older(fs9File);
    ASSERT_TRUE(older.open(QIODevice::ReadWrite));
    ASSERT_TRUE(older.setFileTime(QDateTime::currentDateTime().addSecs(-60), QFileDevice::FileModificationTime));
    older.close();
    const QString before = load("[antes]\r\n", "antes.cfg");
    const struct {
        const char* name;
        int row;  // chosen, or -1 for Cancelar
        QString opened;
        QStringList groups;
    } cases[] = {
        {"Cancelar", -1, before, {"[antes]"}},
        {"OK on the newest, chosen at first", 0, newer, {"[novo]"}},
        {"OK on the other", 1, fs9File, {"[velho]"}},
    };
    const auto shown = [](const QString& file) {
        return file + "=" + QFileInfo(file).lastModified().toString("dd/MM/yyyy HH:mm:ss");
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        QStringList seen;  // the title, the rows, the row chosen at first
        ModalScript()
            .then([&](QWidget* dialog) {
                auto* list = child<QTreeWidget>(dialog, "fs9Files");
                seen = QStringList{dialog->windowTitle()} + rowsOf(list) + selectedRowsOf(list);
                if (c.row >= 0)
                    list->setCurrentItem(list->topLevelItem(c.row));
                for (QAbstractButton* button : dialog->findChildren<QAbstractButton*>()) {
                    if (button->text() == (c.row >= 0 ? "OK" : "Cancelar"))
                        QTest::mouseClick(button, Qt::LeftButton);
                }
            })
            .run([&] { chooseMenuItem(window.get(), "menProcurar"); });
        EXPECT_EQ(seen, (QStringList{"Escolha o fs9.cfg", shown(newer), shown(fs9File), newer}));
        EXPECT_EQ(window->CurrentFile(), c.opened);
        EXPECT_EQ(rowsOf(groups), c.groups);
    }
}

#endif

TEST_F(FS9Test, DeleteAsksFirstAndLeavesTheDocumentAlone)
{
    writeFile(fs9File, "[SOUND]\r\nSOUND=1\r\n");
    EXPECT_TRUE(window->AbrirFS9(fs9File));

    const SeenMessage question = choose("menExluir", {QMessageBox::No}).at(0);
    expectMessage(question, QMessageBox::Question, "Pergunta", "Tem certeza que deseja excluir o fs9.cfg?");
    // Which file, in full, broken at its separators where it is longer than a line.
    EXPECT_EQ(question.informativeText,
              QDir::toNativeSeparators(fs9File).replace(QDir::separator(), QString(QDir::separator()) + QChar(0x200B)));
    EXPECT_TRUE(QFile::exists(fs9File));
    expectMessage(choose("menExluir", {QMessageBox::Yes, QMessageBox::Ok}).at(1), QMessageBox::Information, "Exluído",
                  "Arquivo excluído!");
    EXPECT_FALSE(QFile::exists(fs9File));
#ifndef _WIN32
    // Linux: into the desktop's trash, made where there was none, from where it can come back.
    EXPECT_EQ(contentOf(path(".local/share/Trash/files/fs9.cfg")), "[SOUND]\r\nSOUND=1\r\n");
    EXPECT_TRUE(contentOf(path(".local/share/Trash/info/fs9.cfg.trashinfo")).contains(QFile::encodeName(fs9File)));
#endif
    // No file: said at once, with nothing to ask about.
    expectMessage(choose("menExluir", {QMessageBox::Ok}).at(0), QMessageBox::Critical, "Erro",
                  "Arquivo não encontrado");

    // The document is still there, unsaved now that no file holds it, and Save writes the file again.
    EXPECT_EQ(window->CurrentFile(), fs9File);
    EXPECT_TRUE(caption().endsWith('*'));
    EXPECT_EQ(choose("menSalvar", {QMessageBox::Ok}).at(0).title, "Salvo");
    EXPECT_EQ(contentOf(fs9File), "[SOUND]\r\nSOUND=1\r\n");
}

TEST_F(FS9Test, ExitAsksFirstButTheCloseBoxDoesNot)
{
    expectMessage(choose("menSair", {QMessageBox::No}).at(0), QMessageBox::Question, "Confirmar saída",
                  "Tem certeza que deseja sair?");
    EXPECT_TRUE(window->isVisible());

    expectMessage(choose("menSair", {QMessageBox::Yes}).at(0), QMessageBox::Question, "Confirmar saída",
                  "Tem certeza que deseja sair?");
    EXPECT_FALSE(window->isVisible());

    window->show();
    ModalScript().run([&] { window->close(); });
    EXPECT_FALSE(window->isVisible());
}

TEST_F(FS9Test, NeitherLocateNorDeleteWaitsOnOrRemovesWhatItMayNot)
{
#ifndef _WIN32
    // Linux: a pipe in the file's place is refused at once, with the reason.
    ASSERT_EQ(::mkfifo(QFile::encodeName(fs9File).constData(), 0644), 0);
    expectMessage(choose("menProcurar", {QMessageBox::Ok}).at(0), QMessageBox::Critical, "Erro",
                  "Não foi possível abrir o arquivo\n" + fs9File + "\n\nÉ um pipe (FIFO), não um arquivo comum.");
    EXPECT_TRUE(window->CurrentFile().isEmpty());
    QFile::remove(fs9File);
#endif

    // A file nobody may write (read-only) is as good as locked: it stays, even for root.
    writeFile(fs9File, "[SOUND]\r\n");
    ASSERT_TRUE(QFile::setPermissions(fs9File, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther));
    expectMessage(choose("menExluir", {QMessageBox::Yes, QMessageBox::Ok}).at(1), QMessageBox::Critical, "Erro",
                  "Não foi possível excluir o arquivo\n" + QDir::toNativeSeparators(fs9File) +
                      "\n\nO arquivo é somente leitura.");
    EXPECT_EQ(contentOf(fs9File), "[SOUND]\r\n");
    QFile::setPermissions(fs9File, QFile::ReadOwner | QFile::WriteOwner);
}
