#include "window_fixture.h"

#include <QTableWidget>

using namespace gui_testing;

class VersionsTest : public WindowTest {
protected:
    // Waits, in a dialog's step, for what its reads off the window's thread bring.
    static bool arrives(const std::function<bool()>& shown) { return QTest::qWaitFor(shown, 5000); }
};

TEST_F(VersionsTest, AnEarlierStateComesBackInPartAsOneStepOfTheHistory)
{
    const QString file = load("[a]\r\nx=1\r\ny=1\r\nz=1\r\n");
    clickRow(groups, 0);
    editRow(0, "2");
    choose("menSalvar", {QMessageBox::Ok});
    // Another program's change, read again with nothing unsaved.
    window->activateWindow();
    writeFile(file, "[a]\r\nx=2\r\ny=3\r\nz=3\r\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return saved() == "[a]\r\nx=2\r\ny=3\r\nz=3\r\n"; }, 3000));
    owner.finishKeepingVersions();

    QStringList versions;
    QStringList shown;
    ModalScript()
        .then([&](QWidget* dialog) {
            auto* list = child<QTableWidget>(dialog, "lstVersoes");
            EXPECT_TRUE(arrives(
                [&] { return list->rowCount() == 3 && list->item(2, 2) && list->item(2, 2)->text() != "..."; }));
            for (int row = 0; row < list->rowCount(); ++row)
                versions << list->item(row, 1)->text() + " " + list->item(row, 2)->text();
            // The version as first read: three settings differ; the last is left as it is now.
            auto* differences = child<QTableWidget>(dialog, "lstDiferencas");
            list->setCurrentCell(2, 0);
            EXPECT_TRUE(arrives([&] { return differences->rowCount() == 3; }));
            for (int row = 0; row < differences->rowCount(); ++row)
                shown << differences->item(row, 1)->text() + ": " + differences->item(row, 2)->text() + " / " +
                             differences->item(row, 3)->text();
            differences->setCurrentCell(2, 1);
            QTest::keyClick(differences, Qt::Key_Space);
            QTest::keyClick(differences, Qt::Key_Return);  // Restaurar
        })
        .run([&] { chooseMenuItem(window.get(), "menVersoes"); });
    EXPECT_EQ(versions, (QStringList{"Alterado por outro programa 0", "Salvo pelo Planora 2", "Aberto 3"}));
    EXPECT_EQ(shown, (QStringList{"x: 1 / 2", "y: 1 / 3", "z: 1 / 3"}));
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\ny=1\r\nz=3\r\n");
    EXPECT_TRUE(caption().endsWith('*'));
    EXPECT_EQ(contentOf(file), "[a]\r\nx=2\r\ny=3\r\nz=3\r\n");  // nothing written until Salvar

    keys(QKeySequence::Undo);
    EXPECT_EQ(saved(), "[a]\r\nx=2\r\ny=3\r\nz=3\r\n");
    keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    choose("menSalvar", {QMessageBox::Ok});
    EXPECT_EQ(contentOf(file), "[a]\r\nx=1\r\ny=1\r\nz=3\r\n");
}

TEST_F(VersionsTest, AnyFileComparedGivesWhatItDiffersInOrTheReadersReason)
{
    load("[a]\r\nx=1\r\n[b]\r\ny=1\r\n");
    const QString friendsFile = path("amigo.cfg");
    const QString broken = path("quebrado.cfg");
    writeFile(friendsFile, "[b]\r\ny=2\r\n[a]\r\nx=1\r\n[c]\r\nk=1\r\n");
    writeFile(broken, "[a]\r\nsem igual\r\n");

    SeenMessage refused;
    ModalScript().then(answerFileDialog(broken)).then(pressInMessageBox(refused)).run([&] {
        chooseMenuItem(window.get(), "menComparar");
    });
    EXPECT_EQ(refused.text, "Não foi possível abrir o arquivo\n" + QDir::toNativeSeparators(broken) +
                                "\n\nLinha 2: a linha não é um grupo nem tem \"=\".");
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\n[b]\r\ny=1\r\n");

    QStringList shown;
    QString title;
    ModalScript()
        .then(answerFileDialog(friendsFile))
        .then([&](QWidget* dialog) {
            title = dialog->windowTitle();
            auto* differences = child<QTableWidget>(dialog, "lstDiferencas");
            for (int row = 0; row < differences->rowCount(); ++row)
                shown << differences->item(row, 0)->text() + " " + differences->item(row, 1)->text() + ": " +
                             differences->item(row, 2)->text() + " / " + differences->item(row, 3)->text();
            QTest::keyClick(differences, Qt::Key_Return);  // Aplicar
        })
        .run([&] { chooseMenuItem(window.get(), "menComparar"); });
    EXPECT_EQ(title, "Comparar com amigo.cfg");
    EXPECT_EQ(shown,
              (QStringList{"[b] y: 2 / 1", "[c] (grupo inteiro): (grupo inteiro, com 1 parâmetro) / (não existe)"}));
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\n[b]\r\ny=2\r\n[c]\r\nk=1\r\n");
    keys(QKeySequence::Undo);  // one step
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\n[b]\r\ny=1\r\n");
}
