#include "window_fixture.h"

#include "files/file_reasons.h"

#include <QApplication>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QTimer>

#include <sys/stat.h>

using namespace gui_testing;

namespace {

const QByteArray kFirst = "[um]\r\nx=1\r\n";
const QByteArray kSecond = "[dois]\r\ny=2\r\n";

}  // namespace

class FileCommandsTest : public WindowTest {
protected:
    void expectSaved(const std::vector<SeenMessage>& seen, const QString& text = "Arquivo salvo com sucesso!")
    {
        ASSERT_EQ(seen.size(), 1u);
        expectMessage(seen[0], QMessageBox::Information, "Salvo", text);
    }

    void editFirstValue(const QString& value)
    {
        clickRow(groups, 0);
        editRow(0, value);
    }
};

TEST_F(FileCommandsTest, OpenLoadsTheChosenFileAndNamesItInTheCaption)
{
    const QString file = path("primeiro.cfg");
    writeFile(file, kFirst + "\r\n[vazio]\r\n");
    QStringList nameFilters;
    EXPECT_TRUE(choose("menAbrir", {}, file, &nameFilters).empty());
    EXPECT_EQ(nameFilters, QStringList{"Arquivos de configuração (*.cfg)"});
    EXPECT_EQ(caption(), "Planora - primeiro.cfg");
    EXPECT_EQ(window->CurrentFile(), file);
    EXPECT_EQ(rowsOf(groups), (QStringList{"[um]", "[vazio]"}));
    EXPECT_TRUE(enabled("menSalvar") && enabled("menBackup"));
}

TEST_F(FileCommandsTest, AFileThatDoesNotLoadChangesNothing)
{
    const QString first = load(kFirst);
    const QString broken = path("quebrado.cfg");
    writeFile(broken, "[g]\r\nsem igual\r\n");

    expectMessage(choose("menAbrir", {QMessageBox::Ok}, broken).at(0), QMessageBox::Critical, "Erro",
                  "Não foi possível abrir o arquivo\n" + QDir::toNativeSeparators(broken) +
                      "\n\nLinha 2: a linha não é um grupo nem tem \"=\".");
    EXPECT_EQ(caption(), "Planora - fs9.cfg");
    EXPECT_EQ(window->CurrentFile(), first);
    EXPECT_EQ(rowsOf(groups), QStringList{"[um]"});
}

TEST_F(FileCommandsTest, ACancelledFileDialogChangesNothing)
{
    const QString first = load(kFirst);
    for (const char* item : {"menAbrir", "menSalvarComo", "menBackup"}) {
        EXPECT_TRUE(choose(item, {}, QString()).empty());
        EXPECT_EQ(window->CurrentFile(), first) << item;
        EXPECT_EQ(caption(), "Planora - fs9.cfg") << item;
    }
    // Save still writes where it did.
    editFirstValue("9");
    expectSaved(choose("menSalvar", {QMessageBox::Ok}));
    EXPECT_EQ(contentOf(first), "[um]\r\nx=9\r\n");
}

TEST_F(FileCommandsTest, SaveWritesTheCurrentFileSaveAsMovesItBackupLeavesIt)
{
    const QString first = load(kFirst);
    editFirstValue("alterado");
    expectSaved(choose("menSalvar", {QMessageBox::Ok}));
    EXPECT_EQ(contentOf(first), "[um]\r\nx=alterado\r\n");

    const QString backup = path("copia.cfg");
    expectSaved(choose("menBackup", {QMessageBox::Ok}, backup), "Backup salvo com sucesso!");
    EXPECT_EQ(window->CurrentFile(), first);
    editFirstValue("depois");
    expectSaved(choose("menSalvar", {QMessageBox::Ok}));
    EXPECT_EQ(contentOf(first), "[um]\r\nx=depois\r\n");
    EXPECT_EQ(contentOf(backup), "[um]\r\nx=alterado\r\n");

    // A name typed without an extension gets ".cfg"; the caption names the file Save writes now.
    expectSaved(choose("menSalvarComo", {QMessageBox::Ok}, path("segundo")));
    const QString second = path("segundo.cfg");
    EXPECT_EQ(window->CurrentFile(), second);
    EXPECT_EQ(caption(), "Planora - segundo.cfg");
    editFirstValue("por fim");
    expectSaved(choose("menSalvar", {QMessageBox::Ok}));
    EXPECT_EQ(contentOf(second), "[um]\r\nx=por fim\r\n");
    EXPECT_EQ(contentOf(first), "[um]\r\nx=depois\r\n");
}

TEST_F(FileCommandsTest, SaveAsWorksBeforeAnyLoadAndEnablesNothing)
{
    const QString file = path("novo.cfg");
    writeFile(file, "conteúdo antigo");
    // The file dialog asks before replacing a file; No leaves it, and the dialog open for another name.
    SeenMessage question;
    ModalScript()
        .then(answerFileDialog(file))
        .then([&](QWidget* box) {
            pressInMessageBox(question, QMessageBox::No)(box);
            QTimer::singleShot(0, [] { qobject_cast<QDialog*>(QApplication::activeModalWidget())->reject(); });
        })
        .run([&] { chooseMenuItem(window.get(), "menSalvarComo"); });
    EXPECT_EQ(question.icon, QMessageBox::Warning);
    EXPECT_TRUE(question.text.contains("novo.cfg")) << question.text.toStdString();
    EXPECT_EQ(question.buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(contentOf(file), "conteúdo antigo");
    const std::vector<SeenMessage> replaced = choose("menSalvarComo", {QMessageBox::Yes, QMessageBox::Ok}, file);
    expectMessage(replaced.at(1), QMessageBox::Information, "Salvo", "Arquivo salvo com sucesso!");
    EXPECT_EQ(contentOf(file), "");
    EXPECT_FALSE(enabled("menSalvar") || enabled("menBackup"));
    // Disabled items open nothing.
    EXPECT_TRUE(choose("menSalvar").empty());
    EXPECT_TRUE(choose("menBackup").empty());
}

TEST_F(FileCommandsTest, AFailedWriteSaysWhyAndClaimsNoSuccess)
{
    const QString file = load(kFirst);
    editFirstValue("perdido?");
    chmod(QFile::encodeName(file).constData(), 0444);
    expectMessage(choose("menSalvar", {QMessageBox::Ok}).at(0), QMessageBox::Critical, "Erro",
                  "Não foi possível salvar o arquivo\n" + QDir::toNativeSeparators(file) +
                      "\n\nO arquivo é somente leitura.");
    EXPECT_EQ(contentOf(file), kFirst);

    const QString missingFolder = path("nao-existe/fs9.cfg");
    expectMessage(choose("menSalvarComo", {QMessageBox::Ok}, missingFolder).at(0), QMessageBox::Critical, "Erro",
                  "Não foi possível salvar o arquivo\n" + QDir::toNativeSeparators(missingFolder) + "\n\n" +
                      files::systemReason(test_files::missingFolderError()));
    EXPECT_EQ(window->CurrentFile(), missingFolder);

    EXPECT_TRUE(choose("menBackup", {QMessageBox::Yes, QMessageBox::Ok}, file)
                    .at(1)
                    .text.endsWith("O arquivo é somente leitura."));
}

TEST_F(FileCommandsTest, TheFileDialogStartsWhereTheFileIs)
{
    // In a window with no file, at home; in one with a file, in the folder of the file last opened or saved.
    QDir().mkpath(path("voo"));
    writeFile(path("voo/fs9.cfg"), kFirst);
    modMain::DocumentEditor another;
    modMain::DocumentFile anotherFile(another);
    frmMain withFile(anotherFile);
    withFile.AbrirFS9(path("voo/fs9.cfg"));
    const auto startsIn = [](frmMain* shown, const char* item, const QString& chosen) {
        QString folderShown;
        ModalScript()
            .then([&](QWidget* dialog) {
                folderShown = qobject_cast<QFileDialog*>(dialog)->directory().absolutePath();
                answerFileDialog(chosen)(dialog);
            })
            .run([&] { chooseMenuItem(shown, item); });
        return folderShown;
    };
    EXPECT_EQ(startsIn(window.get(), "menAbrir", QString()), QDir::homePath());
#ifndef _WIN32
    EXPECT_EQ(QDir::homePath(), folder.path());  // Linux: the test's own home
#endif
    withFile.show();
    EXPECT_EQ(startsIn(&withFile, "menBackup", QString()), path("voo"));
    QDir().mkpath(path("outra"));
    writeFile(path("outra/b.cfg"), kSecond);
    EXPECT_EQ(startsIn(&withFile, "menAbrir", path("outra/b.cfg")), path("voo"));
    EXPECT_EQ(withFile.CurrentFile(), path("outra/b.cfg"));
    EXPECT_EQ(startsIn(&withFile, "menAbrir", QString()), path("outra"));
}
