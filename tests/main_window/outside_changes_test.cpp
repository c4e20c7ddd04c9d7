#include "window_fixture.h"

#include <QTableWidget>

using namespace gui_testing;

namespace {

// Presses the button of a modal window that reads `text`; what a message box showed goes to `seen`.
ModalScript::Step pressButton(const QString& text, SeenMessage* seen = nullptr)
{
    return [text, seen](QWidget* modal) {
        if (auto* box = qobject_cast<QMessageBox*>(modal); box && seen)
            *seen = {box->windowTitle(), box->text(), box->icon(), {}, {}, box->informativeText(), {}};
        for (auto* button : modal->findChildren<QPushButton*>()) {
            if (button->text() == text)
                return QTest::mouseClick(button, Qt::LeftButton);
        }
        ADD_FAILURE() << "no button " << text.toStdString() << " in " << modal->windowTitle().toStdString();
        modal->close();
    };
}

}  // namespace

class OutsideChangesTest : public WindowTest {
protected:
    // Runs the script while another program changes the file, until the window shows `expected`; the
    // window made active first, as a closed modal window leaves it on a desktop.
    void otherProgramChanges(const std::function<void()>& change, const std::string& expected, ModalScript script)
    {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        script.run([&] {
            change();
            (void)QTest::qWaitFor([&] { return saved() == expected; }, 2000);
        });
        EXPECT_EQ(saved(), expected);
    }
};

TEST_F(OutsideChangesTest, AnotherProgramsChangeIsReadAgainOrMergedAndSavedWithoutAskingAgain)
{
    const QString file = load("[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\ny=9\r\n");
    clickRow(groups, 2);   // the second [a]
    clickRow(entries, 2);  // its y

    // Nothing unsaved: read again with no question, the second [a] and its y still selected.
    otherProgramChanges([&] { writeFile(file, "[a]\r\nx=5\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\ny=9\r\n"); },
                        "[a]\r\nx=5\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\ny=9\r\n", {});
    EXPECT_EQ(selectedRowsOf(groups), QStringList{"[a]"});
    EXPECT_EQ(groups->currentIndex().row(), 2);
    EXPECT_EQ(entries->currentIndex().row(), 2);
    EXPECT_TRUE(enabled("menDesfazer"));  // the reading again is a step of the history
    EXPECT_FALSE(caption().endsWith('*'));

    // Unsaved changes: the question, and Mesclar keeps both sides, as one step of the history.
    editRow(1, "meu");
    SeenMessage question;
    otherProgramChanges([&] { writeFile(file, "[a]\r\nx=6\r\ny=2\r\n[b]\r\nz=4\r\n[a]\r\ny=9\r\n"); },
                        "[a]\r\nx=6\r\ny=meu\r\n[b]\r\nz=4\r\n[a]\r\ny=9\r\n",
                        std::move(ModalScript().then(pressButton("Mesclar", &question))));
    EXPECT_EQ(question.title, "Planora");
    EXPECT_EQ(question.icon, QMessageBox::Warning);
    EXPECT_EQ(question.text, "O arquivo foi alterado por outro programa.");
    EXPECT_EQ(question.informativeText,
              "Suas alterações ainda não foram salvas. Deseja mesclá-las com o arquivo novo?");
    keys(QKeySequence::Undo);
    EXPECT_EQ(saved(), "[a]\r\nx=5\r\ny=meu\r\n[b]\r\nz=3\r\n[a]\r\ny=9\r\n");
    keys(QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z));
    EXPECT_EQ(choose("menSalvar", {QMessageBox::Ok}).at(0).text, "Arquivo salvo com sucesso!");
    EXPECT_EQ(contentOf(file), "[a]\r\nx=6\r\ny=meu\r\n[b]\r\nz=4\r\n[a]\r\ny=9\r\n");

    // At Salvar, Mesclar from what was saved: y, changed there alone, is no conflict; x is, and
    // the file's side is chosen in Conflitos.
    watchFile(false);
    editRow(0, "7");
    writeFile(file, "[a]\r\nx=8\r\ny=8\r\n[b]\r\nz=4\r\n");
    QStringList conflict;
    ModalScript()
        .then(pressButton("Mesclar"))
        .then([&](QWidget* dialog) {
            auto* table = child<QTableWidget>(dialog, "lstConflitos");
            EXPECT_EQ(table->rowCount(), 1);
            for (int column = 0; column < table->columnCount(); ++column)
                conflict << table->horizontalHeaderItem(column)->text() << table->item(0, column)->text();
            // The pilot's side kept at first, and plainly so; the file's side chosen.
            EXPECT_EQ(table->item(0, 4)->checkState(), Qt::Checked);
            EXPECT_TRUE(table->item(0, 4)->font().bold());
            table->item(0, 3)->setCheckState(Qt::Checked);
            EXPECT_EQ(table->item(0, 4)->checkState(), Qt::Unchecked);
            pressButton("Mesclar")(dialog);
        })
        .then(pressInMessageBox(question))
        .run([&] { gui_testing::chooseMenuItem(window.get(), "menSalvar"); });
    EXPECT_EQ(conflict, (QStringList{"Grupo", "[a] (1º)", "Parâmetro", "x", "Antes", "6", "No arquivo", "8",
                                     "Suas alterações", "7"}));
    EXPECT_EQ(contentOf(file), "[a]\r\nx=8\r\ny=8\r\n[b]\r\nz=4\r\n");  // the second [a], unchanged here, went there

    // The file gone: told once, and Salvar writes it anew.
    watchFile(true);
    SeenMessage gone;
    const std::string kept = saved();
    otherProgramChanges([&] { QFile::remove(file), QTest::qWait(1000); }, kept,
                        std::move(ModalScript().then(pressInMessageBox(gone))));
    EXPECT_EQ(gone.text, "O arquivo foi removido ou renomeado por outro programa.");
    EXPECT_EQ(choose("menSalvar", {QMessageBox::Ok}).at(0).text, "Arquivo salvo com sucesso!");
    EXPECT_EQ(contentOf(file), "[a]\r\nx=8\r\ny=8\r\n[b]\r\nz=4\r\n");
}

TEST_F(OutsideChangesTest, TheQuestionMergesByDefaultAndOnlyRecarregarTakesTheFile)
{
    const QString file = load("[a]\r\nx=1\r\n");
    clickRow(groups, 0);
    editRow(0, "meu");
    // Each answer to another program's change, and the document it leaves.
    const struct {
        const char* name;
        std::function<void(QMessageBox*)> answer;
        std::string document;
        bool unsaved;
    } answers[] = {
        {"Escape", [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Escape); }, "[a]\r\nx=meu\r\n", true},
        {"Manter as minhas", [](QMessageBox* box) { pressButton("Manter as minhas")(box); }, "[a]\r\nx=meu\r\n", true},
        {"Enter", [](QMessageBox* box) { QTest::keyClick(box, Qt::Key_Return); }, "[a]\r\nx=meu\r\ny=5\r\n", true},
        {"Recarregar", [](QMessageBox* box) { pressButton("Recarregar")(box); }, "[a]\r\nx=1\r\ny=6\r\n", false},
    };
    int round = 3;
    for (const auto& a : answers) {
        SCOPED_TRACE(a.name);
        QString defaultButton;
        QString escapeButton;
        // Answered once the question shows; the document then is as the answer leaves it.
        otherProgramChanges(
            [&] {
                writeFile(file, "[a]\r\nx=1\r\ny=" + QByteArray::number(round++) + "\r\n");
                (void)QTest::qWaitFor([&] { return !escapeButton.isEmpty(); }, 3000);
            },
            a.document, std::move(ModalScript().then([&](QWidget* modal) {
                auto* box = qobject_cast<QMessageBox*>(modal);
                ASSERT_TRUE(box);
                defaultButton = box->defaultButton()->text();
                escapeButton = qobject_cast<QPushButton*>(box->escapeButton())->text();
                a.answer(box);
            })));
        EXPECT_EQ(defaultButton, "Mesclar");
        EXPECT_EQ(escapeButton, "Manter as minhas");
        EXPECT_EQ(caption().endsWith('*'), a.unsaved);
    }
    // What Recarregar put aside comes back with Desfazer.
    keys(QKeySequence::Undo);
    EXPECT_EQ(saved(), "[a]\r\nx=meu\r\ny=5\r\n");
    EXPECT_TRUE(caption().endsWith('*'));
}
