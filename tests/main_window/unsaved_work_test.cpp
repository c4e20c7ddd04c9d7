#include "window_fixture.h"

#include <QApplication>
#include <QDropEvent>
#include <QMenu>
#include <QMimeData>
#include <QUrl>

using namespace gui_testing;

namespace {

const QByteArray kFile = "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\n";

}  // namespace

class UnsavedWorkTest : public WindowTest {
protected:
    // After an undo or a redo the lists are those that selecting the same header again shows.
    void expectListsAsReselected(const char* when)
    {
        SCOPED_TRACE(when);
        const QStringList shown = rowsOf(entries);
        const QStringList selected = selectedRowsOf(groups);
        if (selected.isEmpty()) {
            EXPECT_TRUE(shown.isEmpty());
            return;
        }
        const int row = int(rowsOf(groups).indexOf(selected.first()));
        clickRow(groups, row == 0 ? 1 : 0);
        clickRow(groups, row);
        EXPECT_EQ(rowsOf(entries), shown);
    }
};

TEST_F(UnsavedWorkTest, UndoesAndRedoesEveryChangeExactly)
{
    const struct {
        const char* name;
        std::function<void()> change;
        int steps;
    } cases[] = {
        {"a value", [&] { editRow(1, "novo"); }, 1},
        {"a new group", [&] { newGroup("novo"); }, 1},
        {"two entries in one dialog, one step each",
         [&] {
             ModalScript()
                 .then([&](QWidget* dialog) {
                     for (const char* name : {"n1", "n2"}) {
                         auto* field = child<QLineEdit>(dialog, "txtParametro");
                         field->selectAll();
                         enterText(field, name);
                         QTest::mouseClick(child<QPushButton>(dialog, "cmbAdicionar"), Qt::LeftButton);
                     }
                     dialog->close();
                 })
                 .run([&] { click("cmbNovaEntrada"); });
         },
         2},
        {"a removed entry", [&] { clickRow(entries, 2), click("cmbRemover"); }, 1},
        {"a removed group", [&] { click("cmbRemoverGrupo"); }, 1},
        {"an imported block", [&] { import("[a]\nx=9\nnovo=1\n[c]\nk=v\n"); }, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        load(kFile);
        clickRow(groups, 2);
        const std::string before = saved();
        c.change();
        const std::string after = saved();
        ASSERT_NE(after, before);
        EXPECT_TRUE(enabled("menDesfazer") && !enabled("menRefazer"));

        for (int i = 0; i < c.steps; ++i)
            keys(QKeySequence::Undo);
        EXPECT_EQ(saved(), before);
        EXPECT_FALSE(enabled("menDesfazer"));  // a load starts the history
        expectListsAsReselected("undone");
        for (int i = 0; i < c.steps; ++i)
            keys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
        EXPECT_EQ(saved(), after);
        expectListsAsReselected("redone");
        for (int i = 0; i < c.steps; ++i)
            chooseMenuItem(window.get(), "menDesfazer");
        for (int i = 0; i < c.steps; ++i)
            keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
        EXPECT_EQ(saved(), after);
    }
}

TEST_F(UnsavedWorkTest, AsksBeforeUnsavedChangesGo)
{
    const QString other = path("outro.cfg");
    writeFile(other, "[outro]\r\n");
    writeFile(simulatorFile(), "[simulador]\r\n");
    enum class Then { Closes, Opens };
    const struct {
        const char* name;
        std::function<void()> action;
        Then then;
        bool fileDialog = false;
    } actions[] = {
        {"the close box", [&] { window->close(); }, Then::Closes},
        {"Sair", [&] { chooseMenuItem(window.get(), "menSair"); }, Then::Closes},
        {"Abrir...", [&] { chooseMenuItem(window.get(), "menAbrir"); }, Then::Opens, true},
        {"Procucar CFG", [&] { chooseMenuItem(window.get(), "menProcurar"); }, Then::Opens},
        {"a dropped file",
         [&] {
             QMimeData data;
             data.setUrls({QUrl::fromLocalFile(other)});
             QDragEnterEvent enter(window->rect().center(), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(window.get(), &enter);
             QDropEvent drop(QPointF(window->rect().center()), Qt::CopyAction, &data, Qt::LeftButton, Qt::NoModifier);
             QApplication::sendEvent(window.get(), &drop);
             QApplication::processEvents();  // the drop opens its file once it has ended
         },
         Then::Opens},
    };
    for (const auto& a : actions) {
        for (const QMessageBox::StandardButton answer :
             {QMessageBox::Save, QMessageBox::Discard, QMessageBox::Cancel}) {
            SCOPED_TRACE(::testing::Message() << a.name << ", answered " << answer);
            window->show();
            window->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
            const QString mine = load(kFile, "meu.cfg");
            clickRow(groups, 0);
            editRow(0, "alterado");

            SeenMessage question;
            SeenMessage savedMessage;
            ModalScript script;
            script.then(pressInMessageBox(question, answer));
            if (answer == QMessageBox::Save)
                script.then(pressInMessageBox(savedMessage));
            if (answer != QMessageBox::Cancel && a.fileDialog)
                script.then(answerFileDialog(other));
            script.run(a.action);

            EXPECT_EQ(question.icon, QMessageBox::Warning);
            EXPECT_EQ(question.title, "Planora");
            EXPECT_EQ(question.text, "O documento tem alterações que não foram salvas.");
            EXPECT_EQ(question.informativeText, "Deseja salvá-las antes de continuar?");
            EXPECT_EQ(question.buttons, QMessageBox::Save | QMessageBox::Discard | QMessageBox::Cancel);
            EXPECT_EQ(question.defaultButton, QMessageBox::Save);
            EXPECT_EQ(question.escapeButton, QMessageBox::Cancel);
            EXPECT_EQ(contentOf(mine),
                      answer == QMessageBox::Save ? "[a]\r\nx=alterado\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\n" : kFile);
            const bool goesOn = answer != QMessageBox::Cancel;
            if (a.then == Then::Closes)
                EXPECT_EQ(window->isVisible(), !goesOn);
            else
                EXPECT_EQ(window->CurrentFile() != mine, goesOn);
        }
    }
}

TEST_F(UnsavedWorkTest, NothingGoesOnWhereTheSaveAskedForDoesNotHappen)
{
    SeenMessage question;
    SeenMessage failure;
    // A new document whose Save as is cancelled, then a file that Save cannot write.
    const struct {
        const char* name;
        std::function<void()> change;
        ModalScript::Step notSaved;
    } saves[] = {
        {"Save as cancelled", [&] { newGroup(QString::number(rowsOf(groups).size())); }, answerFileDialog(QString())},
        {"a save that fails",
         [&] {
             ::chmod(QFile::encodeName(load(kFile)).constData(), 0444);
             clickRow(groups, 0);
             editRow(0, "alterado");
         },
         pressInMessageBox(failure)},
    };
    const struct {
        const char* name;
        std::function<void()> command;
    } commands[] = {
        {"the close box", [&] { window->close(); }},
        {"Abrir...", [&] { chooseMenuItem(window.get(), "menAbrir"); }},
        {"a session's end", [&] { EXPECT_FALSE(window->mayEndSession()); }},
    };
    for (const auto& save : saves) {
        for (const auto& command : commands) {
            SCOPED_TRACE(::testing::Message() << save.name << ", " << command.name);
            save.change();
            const QString file = window->CurrentFile();
            ModalScript().then(pressInMessageBox(question, QMessageBox::Save)).then(save.notSaved).run(command.command);
            EXPECT_TRUE(window->isVisible());
            EXPECT_EQ(window->CurrentFile(), file);
            EXPECT_TRUE(caption().endsWith('*'));
        }
    }
    EXPECT_EQ(failure.icon, QMessageBox::Critical);
    // A session's end cancelled asks again at the next; the changes left, the window closes without a word.
    ModalScript().then(pressInMessageBox(question, QMessageBox::Cancel)).run([&] {
        EXPECT_FALSE(window->mayEndSession());
    });
    ModalScript().then(pressInMessageBox(question, QMessageBox::Discard)).run([&] {
        EXPECT_TRUE(window->mayEndSession());
    });
    ModalScript().run([&] { window->close(); });
    EXPECT_FALSE(window->isVisible());
}

TEST_F(UnsavedWorkTest, TheCaptionNamesTheFileSaveWritesAndMarksUnsavedChanges)
{
    EXPECT_EQ(caption(), "Planora");
    newGroup("novo");
    EXPECT_EQ(caption(), "Planora*");
    load(kFile, "um.cfg");
    EXPECT_EQ(caption(), "Planora - um.cfg");
    clickRow(groups, 0);
    editRow(0, "2");
    EXPECT_EQ(caption(), "Planora - um.cfg*");
    keys(QKeySequence::Undo);
    EXPECT_EQ(caption(), "Planora - um.cfg");
    keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    choose("menBackup", {QMessageBox::Ok}, path("copia.cfg"));
    EXPECT_EQ(caption(), "Planora - um.cfg*");  // a backup leaves the document unsaved
    choose("menSalvarComo", {QMessageBox::Ok}, path("dois.cfg"));
    EXPECT_EQ(caption(), "Planora - dois.cfg");
    keys(QKeySequence::Undo);  // the history goes on past a save
    EXPECT_EQ(caption(), "Planora - dois.cfg*");
    keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    writeFile(simulatorFile(), "[simulador]\r\n");
    choose("menProcurar");
    EXPECT_EQ(caption(), "Planora - fs9.cfg");
    EXPECT_EQ(window->CurrentFile(), simulatorFile());
}

TEST_F(UnsavedWorkTest, FindsEachEntryWhoseNameOrValueHoldsTheTextInTurn)
{
    load("[a]\r\nNome=1\r\nx=nomeado\r\n[b]\r\nz=3\r\n[a]\r\nNOME=4\r\n[c]\r\n\xC9"
         "cran=\xE9\r\n");
    const auto find = [&](const QString& text) {
        SeenInputBox box;
        ModalScript().then(answerInputBox(box, text, true)).run([&] { keys(QKeySequence(Qt::CTRL | Qt::Key_F)); });
        EXPECT_EQ(box.title, "Localizar");
        EXPECT_EQ(box.prompt, "Parâmetro ou valor:");
    };
    const auto shown = [&] { return selectedRowsOf(groups).value(0) + u' ' + selectedRowsOf(entries).value(0); };
    find("nome");
    EXPECT_EQ(shown(), "[a] Nome");
    const QStringList next = {"[a] x", "[a] NOME", "[a] Nome"};  // round once to the start
    for (const QString& expected : next) {
        keys(QKeySequence(Qt::Key_F3));
        EXPECT_EQ(shown(), expected);
    }
    EXPECT_EQ(rowsOf(entries), (QStringList{"Nome=1", "x=nomeado", "NOME=4"}));
    find("ÉCRAN");  // letter case aside, accents too
    EXPECT_EQ(shown(), "[c] Écran");
    editRow(0, "Digitado");  // a value typed since the load is found too
    clickRow(groups, 0);
    find("DIGITADO");
    EXPECT_EQ(shown(), "[c] Écran");
    for (const QString missing : {"nada", "日本"}) {
        SeenInputBox box;
        SeenMessage message;
        ModalScript().then(answerInputBox(box, missing, true)).then(pressInMessageBox(message)).run([&] {
            chooseMenuItem(window.get(), "menLocalizar");
        });
        expectMessage(message, QMessageBox::Information, "Localizar",
                      "Nenhum parâmetro ou valor contém \"" + missing + "\".");
        EXPECT_EQ(shown(), "[c] Écran");
    }
}

TEST_F(UnsavedWorkTest, TheKeyboardReachesEveryCommand)
{
    const QString file = load(kFile);
    clickRow(groups, 1);
    clickRow(entries, 0);
    for (const Qt::Key key : {Qt::Key_F2, Qt::Key_Return, Qt::Key_Enter}) {
        SeenInputBox box;
        ModalScript().then(answerInputBox(box, "por tecla", true)).run([&] { keys(key, entries); });
        EXPECT_EQ(box.prompt, "Digite o novo valor para z") << key;
    }
    EXPECT_EQ(rowsOf(entries), QStringList{"z=por tecla"});
    keys(Qt::Key_Delete, entries);
    EXPECT_TRUE(rowsOf(entries).isEmpty());
    clickRow(groups, 2);
    keys(Qt::Key_Delete, groups);
    EXPECT_EQ(rowsOf(groups), (QStringList{"[a]", "[b]"}));
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\ny=2\r\n[b]\r\n");

    expectMessage(choose("menSalvar", {QMessageBox::Ok}).at(0), QMessageBox::Information, "Salvo",
                  "Arquivo salvo com sucesso!");
    SeenMessage savedMessage;
    ModalScript().then(pressInMessageBox(savedMessage)).run([&] { keys(QKeySequence::Save); });
    EXPECT_EQ(savedMessage.title, "Salvo");
    QStringList filters;
    ModalScript().then(answerFileDialog(QString(), &filters)).run([&] { keys(QKeySequence::Open); });
    EXPECT_EQ(filters, QStringList{"Arquivos de configuração (*.cfg)"});
    // Alt and a menu title's underlined letter open the menu.
    for (const auto& [key, menu] : {std::pair{Qt::Key_A, "menArquivo"},
                                    {Qt::Key_E, "menEditar"},
                                    {Qt::Key_F, "menFerramentas"},
                                    {Qt::Key_J, "menAjuda"}}) {
        keys(QKeySequence(Qt::ALT | key));
        EXPECT_TRUE(QTest::qWaitFor([&] { return child<QMenu>(window.get(), menu)->isVisible(); })) << menu;
        child<QMenu>(window.get(), menu)->close();
    }
    EXPECT_EQ(contentOf(file), "[a]\r\nx=1\r\ny=2\r\n[b]\r\n");
}
