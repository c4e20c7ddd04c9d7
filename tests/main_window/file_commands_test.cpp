#include "main_window_fixture.h"

#include <QAction>
#include <QDir>
#include <QListView>
#include <QTableView>

#include <QDateTime>
#include <QFileInfo>

#include <cstdio>
#include <functional>

#include <sys/stat.h>

using namespace gui_testing;

namespace {

const QByteArray kFirst = "[um]\r\nx=1\r\n";
const QByteArray kSecond = "[dois]\r\ny=2\r\n";

}  // namespace

class FileCommandsTest : public MainWindowTest {
protected:
    // Chooses a file menu item and answers its file dialog with `file` (cancels
    // when empty), then each message box that follows with OK.
    std::vector<SeenMessage> choose(const char* menu, const char* item, const QString& file, int messages,
                                    QStringList* nameFilters = nullptr)
    {
        std::vector<SeenMessage> seen(static_cast<std::size_t>(messages));
        ModalScript script;
        script.then(answerFileDialog(file, nameFilters));
        for (SeenMessage& message : seen)
            script.then(pressInMessageBox(message));
        script.run([&] { chooseMenuItem(window.get(), menu, item); });
        return seen;
    }

    std::vector<SeenMessage> save(int messages = 1)
    {
        std::vector<SeenMessage> seen(static_cast<std::size_t>(messages));
        ModalScript script;
        for (SeenMessage& message : seen)
            script.then(pressInMessageBox(message));
        script.run([&] { chooseMenuItem(window.get(), "menArquivo", "menSalvar"); });
        return seen;
    }

    void saveExpectingSuccess()
    {
        expectMessage(save().at(0), QMessageBox::Information, "Salvo", "Arquivo salvo com sucesso!");
    }

    void editFirstValue(const QString& value)
    {
        auto* groups = child<QListView>(window.get(), "lstGrupos");
        auto* entries = child<QTableView>(window.get(), "lstConteudo");
        clickRow(groups, 0);
        SeenInputBox seen;
        ModalScript().then(answerInputBox(seen, value, true)).run([&] { doubleClickRow(entries, 0); });
    }

    bool enabled(const char* item) { return child<QAction>(window.get(), item)->isEnabled(); }
};

TEST_F(FileCommandsTest, OpenLoadsTheChosenFileAndNamesItInTheCaption)
{
    const QString file = path("primeiro.cfg");
    writeFile(file, kFirst + "\r\n[vazio]\r\n");
    QStringList nameFilters;
    EXPECT_TRUE(choose("menArquivo", "menAbrir", file, 0, &nameFilters).empty());
    EXPECT_EQ(nameFilters, QStringList{"CFG Files (*.cfg)"});
    EXPECT_EQ(window->windowTitle(), "Planora - primeiro.cfg");
    EXPECT_EQ(window->CurrentFile(), file);
    EXPECT_EQ(rowsOf(child<QListView>(window.get(), "lstGrupos")), (QStringList{"[um]", "[vazio]"}));
    EXPECT_TRUE(enabled("menSalvar") && enabled("menBackup"));
}

TEST_F(FileCommandsTest, AFileThatDoesNotLoadChangesNothing)
{
    const QString first = load(kFirst);
    window->setWindowTitle("Planora - fs9.cfg");
    const QString broken = path("quebrado.cfg");
    writeFile(broken, "[g]\r\nsem igual\r\n");

    const std::vector<SeenMessage> seen = choose("menArquivo", "menAbrir", broken, 1);
    expectMessage(seen[0], QMessageBox::Critical, "Erro",
                  "Não foi possível abrir o arquivo\n" + QDir::toNativeSeparators(broken) +
                      "\n\nLinha 2: a linha não é um grupo nem tem \"=\".");
    EXPECT_EQ(window->windowTitle(), "Planora - fs9.cfg");
    EXPECT_EQ(window->CurrentFile(), first);
    EXPECT_EQ(rowsOf(child<QListView>(window.get(), "lstGrupos")), QStringList{"[um]"});
}

TEST_F(FileCommandsTest, ACancelledFileDialogChangesNothing)
{
    const QString first = load(kFirst);
    window->setWindowTitle("Planora - fs9.cfg");
    const struct {
        const char* menu;
        const char* item;
    } commands[] = {{"menArquivo", "menAbrir"}, {"menArquivo", "menSalvarComo"}, {"menFerramentas", "menBackup"}};
    for (const auto& command : commands) {
        EXPECT_TRUE(choose(command.menu, command.item, QString(), 0).empty());
        EXPECT_EQ(window->CurrentFile(), first) << command.item;
        EXPECT_EQ(window->windowTitle(), "Planora - fs9.cfg") << command.item;
    }
    // Save still writes where it did.
    editFirstValue("9");
    saveExpectingSuccess();
    EXPECT_EQ(contentOf(first), "[um]\r\nx=9\r\n");
}

TEST_F(FileCommandsTest, SaveWritesTheCurrentFileSaveAsMovesItBackupLeavesIt)
{
    const QString first = load(kFirst);
    window->setWindowTitle("Planora - fs9.cfg");
    editFirstValue("alterado");
    expectMessage(save().at(0), QMessageBox::Information, "Salvo", "Arquivo salvo com sucesso!");
    EXPECT_EQ(contentOf(first), "[um]\r\nx=alterado\r\n");

    const QString backup = path("copia.cfg");
    expectMessage(choose("menFerramentas", "menBackup", backup, 1).at(0), QMessageBox::Information, "Salvo",
                  "Backup salvo com sucesso!");
    EXPECT_EQ(window->CurrentFile(), first);
    editFirstValue("depois");
    saveExpectingSuccess();
    EXPECT_EQ(contentOf(first), "[um]\r\nx=depois\r\n");
    EXPECT_EQ(contentOf(backup), "[um]\r\nx=alterado\r\n");

    const QString second = path("segundo");  // used as typed, without an extension
    expectMessage(choose("menArquivo", "menSalvarComo", second, 1).at(0), QMessageBox::Information, "Salvo",
                  "Arquivo salvo com sucesso!");
    EXPECT_EQ(window->CurrentFile(), second);
    editFirstValue("por fim");
    saveExpectingSuccess();
    EXPECT_EQ(contentOf(second), "[um]\r\nx=por fim\r\n");
    EXPECT_EQ(contentOf(first), "[um]\r\nx=depois\r\n");
    EXPECT_EQ(window->windowTitle(), "Planora - fs9.cfg");
}

TEST_F(FileCommandsTest, SaveAsWorksBeforeAnyLoadAndEnablesNothing)
{
    const QString file = path("novo.cfg");
    writeFile(file, "conteúdo antigo");
    // Replaced without a question.
    expectMessage(choose("menArquivo", "menSalvarComo", file, 1).at(0), QMessageBox::Information, "Salvo",
                  "Arquivo salvo com sucesso!");
    EXPECT_EQ(contentOf(file), "");
    EXPECT_FALSE(enabled("menSalvar") || enabled("menBackup"));
    // Disabled items open nothing.
    ModalScript().run([&] {
        chooseMenuItem(window.get(), "menArquivo", "menSalvar");
        chooseMenuItem(window.get(), "menFerramentas", "menBackup");
    });
}

TEST_F(FileCommandsTest, AFailedWriteSaysWhyAndClaimsNoSuccess)
{
    const QString file = load(kFirst);
    editFirstValue("perdido?");
    chmod(QFile::encodeName(file).constData(), 0444);
    const std::vector<SeenMessage> seen = save();
    expectMessage(seen.at(0), QMessageBox::Critical, "Erro",
                  "Não foi possível salvar o arquivo\n" + QDir::toNativeSeparators(file) +
                      "\n\nO arquivo é somente leitura.");
    EXPECT_EQ(contentOf(file), kFirst);

    const QString missingFolder = path("nao-existe/fs9.cfg");
    expectMessage(choose("menArquivo", "menSalvarComo", missingFolder, 1).at(0), QMessageBox::Critical, "Erro",
                  "Não foi possível salvar o arquivo\n" + QDir::toNativeSeparators(missingFolder) +
                      "\n\nNo such file or directory");
    EXPECT_EQ(window->CurrentFile(), missingFolder);

    EXPECT_TRUE(choose("menFerramentas", "menBackup", file, 1).at(0).text.endsWith("O arquivo é somente leitura."));
}

TEST_F(FileCommandsTest, AsksBeforeReplacingAFileAnotherProgramHasChanged)
{
    const QString question = "O arquivo foi alterado por outro programa depois que o Planora o abriu.\n"
                             "Deseja substituí-lo mesmo assim?";
    // Each way another program can leave the file: longer, rewritten at the same
    // size (later), or replaced by another file of the same size and time.
    const std::function<void(const QString&)> changes[] = {
        [](const QString& file) { writeFile(file, kSecond + "[a mais]\r\n"); },
        [](const QString& file) {
            const QDateTime modified = QFileInfo(file).lastModified();
            writeFile(file, "[UM]\r\nx=1\r\n");
            QFile touched(file);
            ASSERT_TRUE(touched.open(QIODevice::ReadWrite));
            touched.setFileTime(modified.addSecs(5), QFileDevice::FileModificationTime);
        },
        [this](const QString& file) {
            writeFile(path("novo"), kFirst);
            QFile copy(path("novo"));
            ASSERT_TRUE(copy.open(QIODevice::ReadWrite));
            copy.setFileTime(QFileInfo(file).lastModified(), QFileDevice::FileModificationTime);
            copy.close();
            ASSERT_EQ(::rename(QFile::encodeName(path("novo")).constData(), QFile::encodeName(file).constData()), 0);
        },
    };
    for (const auto& change : changes) {
        const QString file = load(kFirst);
        editFirstValue("meu");
        change(file);
        const QByteArray theirs = contentOf(file);

        const std::vector<SeenMessage> refused = save();
        EXPECT_EQ(refused.at(0).icon, QMessageBox::Question);
        EXPECT_EQ(refused.at(0).title, "Arquivo alterado");
        EXPECT_EQ(refused.at(0).text, question);
        EXPECT_EQ(refused.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(refused.at(0).defaultButton, QMessageBox::No);
        EXPECT_EQ(contentOf(file), theirs);

        // Backup asks nothing; Save as onto the same file asks like Save; Yes writes.
        expectMessage(choose("menFerramentas", "menBackup", path("copia.cfg"), 1).at(0), QMessageBox::Information,
                      "Salvo", "Backup salvo com sucesso!");
        std::vector<SeenMessage> seen(2);
        ModalScript()
            .then(answerFileDialog(file))
            .then(pressInMessageBox(seen[0], QMessageBox::Yes))
            .then(pressInMessageBox(seen[1]))
            .run([&] { chooseMenuItem(window.get(), "menArquivo", "menSalvarComo"); });
        EXPECT_EQ(seen[0].text, question);
        expectMessage(seen[1], QMessageBox::Information, "Salvo", "Arquivo salvo com sucesso!");
        EXPECT_EQ(contentOf(file), "[um]\r\nx=meu\r\n");
        saveExpectingSuccess();  // what this window wrote is the new starting point
    }

    // A file that has gone meanwhile is simply written again.
    const QString file = load(kFirst);
    QFile::remove(file);
    saveExpectingSuccess();
    EXPECT_EQ(contentOf(file), kFirst);
}
