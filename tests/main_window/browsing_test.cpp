#include "window_fixture.h"

#include <QAccessible>

using namespace gui_testing;

namespace {

// Two groups share "[a]"; names repeat within and across them.
const QByteArray kSharedHeaders = "[a]\r\nx=1\r\ny=2\r\nx=3\r\n[b]\r\nz=9\r\n[a]\r\nx=4\r\nw=5\r\n";

}  // namespace

class BrowsingTest : public WindowTest {};

TEST_F(BrowsingTest, ShowsTheLiveEntriesOfEveryGroupWithTheSelectedHeader)
{
    load(kSharedHeaders + "[c]\r\n");
    EXPECT_EQ(rowsOf(groups), (QStringList{"[a]", "[b]", "[a]", "[c]"}));
    EXPECT_TRUE(selectedRowsOf(entries).isEmpty());
    EXPECT_TRUE(selectedRowsOf(groups).isEmpty());

    clickRow(groups, 2);  // either row of "[a]" shows both groups, lower position first
    EXPECT_EQ(rowsOf(entries), (QStringList{"x=1", "y=2", "x=3", "x=4", "w=5"}));
    EXPECT_TRUE(selectedRowsOf(entries).isEmpty());
    clickRow(groups, 1);
    EXPECT_EQ(rowsOf(entries), QStringList{"z=9"});
    QTest::keyClick(groups, Qt::Key_Down);  // the keyboard selects too
    EXPECT_EQ(rowsOf(entries).size(), 5);
    clickRow(groups, 3);
    EXPECT_TRUE(rowsOf(entries).isEmpty());
}

TEST_F(BrowsingTest, EditsTheFirstLiveEntryCarryingTheRowsName)
{
    load(kSharedHeaders);
    clickRow(groups, 0);

    const SeenInputBox seen = editRow(1, "novo valor");
    EXPECT_EQ(seen.title, "Planora");
    EXPECT_EQ(seen.prompt, "Digite o novo valor para y");
    EXPECT_EQ(seen.prefilled, "2");
    EXPECT_EQ(rowsOf(entries), (QStringList{"x=1", "y=novo valor", "x=3", "x=4", "w=5"}));

    // The third row is named like the first: the first entry of that name takes the value,
    // and after a refresh each row shows its own entry again.
    editRow(2, "=dez=");
    EXPECT_EQ(rowsOf(entries), (QStringList{"x=1", "y=novo valor", "x==dez=", "x=4", "w=5"}));
    clickRow(groups, 1);
    clickRow(groups, 0);
    EXPECT_EQ(rowsOf(entries), (QStringList{"x==dez=", "y=novo valor", "x=3", "x=4", "w=5"}));

    editRow(1, "");  // an empty value is a value
    editRow(4, "ignorado", false);
    EXPECT_EQ(rowsOf(entries), (QStringList{"x==dez=", "y=", "x=3", "x=4", "w=5"}));
    EXPECT_EQ(saved(), "[a]\r\nx==dez=\r\ny=\r\nx=3\r\n[b]\r\nz=9\r\n[a]\r\nx=4\r\nw=5\r\n");
    editRow(4, " 5 ");  // blanks are kept
    EXPECT_EQ(saved(), "[a]\r\nx==dez=\r\ny=\r\nx=3\r\n[b]\r\nz=9\r\n[a]\r\nx=4\r\nw= 5 \r\n");
}

TEST_F(BrowsingTest, RefusesValuesTheFileCannotHold)
{
    load("[a]\r\nx=1\r\n");
    clickRow(groups, 0);
    const struct {
        QString typed;
        QString named;
    } cases[] = {
        {QStringLiteral("日本 e ação"), QStringLiteral("日本")},
        {QStringLiteral("😀"), QStringLiteral("😀")},
        {QStringLiteral("duas\nlinhas\r\n"), QStringLiteral("␊␍")},
    };
    for (const auto& c : cases) {
        SeenInputBox input;
        SeenMessage message;
        SeenInputBox reopened;
        ModalScript()
            .then(answerInputBox(input, c.typed, true))
            .then(pressInMessageBox(message))
            .then(answerInputBox(reopened, QString(), false))
            .run([&] { doubleClickRow(entries, 0); });
        expectMessage(message, QMessageBox::Information, "Caractere inválido",
                      "O texto contém caracteres que não podem ser gravados no arquivo: " + c.named);
        // The box comes back with what was typed.
        EXPECT_EQ(reopened.prefilled, c.typed);
        EXPECT_EQ(rowsOf(entries), QStringList{"x=1"});
    }
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\n");
}

TEST_F(BrowsingTest, RemovesTheFirstLiveEntryCarryingTheRowsName)
{
    load(kSharedHeaders);
    clickRow(groups, 2);
    clickRow(entries, 2);  // the second "x": the first "x" of the lower group goes
    click("cmbRemover");
    EXPECT_EQ(rowsOf(entries), (QStringList{"y=2", "x=3", "x=4", "w=5"}));
    click("cmbRemover");  // nothing selected after the refresh: nothing goes
    EXPECT_EQ(rowsOf(entries).size(), 4);
    clickRow(entries, 1);
    click("cmbRemover");
    clickRow(entries, 1);
    click("cmbRemover");  // now the other group's "x"
    EXPECT_EQ(rowsOf(entries), (QStringList{"y=2", "w=5"}));
    EXPECT_EQ(document().group(1).EntryCount(), 3);
    EXPECT_EQ(saved(), "[a]\r\ny=2\r\n[b]\r\nz=9\r\n[a]\r\nw=5\r\n");
}

TEST_F(BrowsingTest, RemovesTheFirstLiveGroupCarryingTheSelectedHeader)
{
    load(kSharedHeaders);
    click("cmbRemoverGrupo");  // nothing selected: nothing goes
    EXPECT_EQ(rowsOf(groups).size(), 3);

    clickRow(groups, 2);
    click("cmbRemoverGrupo");
    // The selected row goes, the lower group of that header is the one removed.
    EXPECT_EQ(rowsOf(groups), (QStringList{"[a]", "[b]"}));
    EXPECT_TRUE(selectedRowsOf(groups).isEmpty());
    EXPECT_TRUE(rowsOf(entries).isEmpty());
    EXPECT_EQ(document().GroupCount(), 3);
    EXPECT_EQ(saved(), "[b]\r\nz=9\r\n[a]\r\nx=4\r\nw=5\r\n");

    clickRow(groups, 0);
    EXPECT_EQ(rowsOf(entries), (QStringList{"x=4", "w=5"}));
    click("cmbRemoverGrupo");
    click("cmbRemoverGrupo");
    EXPECT_EQ(rowsOf(groups), QStringList{"[b]"});
    EXPECT_EQ(saved(), "[b]\r\nz=9\r\n");
}

TEST_F(BrowsingTest, ShowsTextsOfMegabytesCutShortAndKeepsEveryByte)
{
    const QByteArray header = '[' + QByteArray(2 << 20, 'h') + ']';
    const QByteArray value = QByteArray(40000, 'v');  // longer than a line edit holds by default
    const QByteArray file = header + "\r\nnome=" + value + "\r\n";
    load(file);
    clickRow(groups, 0);

    // The start of each text and an ellipsis; the screen reader reads the same.
    const QString shownHeader = rowsOf(groups).first();
    EXPECT_TRUE(shownHeader.startsWith("[hhh") && shownHeader.endsWith(QChar(0x2026))) << shownHeader.size();
    EXPECT_LT(shownHeader.size(), 2000);
    QAccessibleInterface* table = QAccessible::queryAccessibleInterface(entries);
    ASSERT_TRUE(table && table->tableInterface());
    const QString shownValue = table->tableInterface()->cellAt(0, 1)->text(QAccessible::Name);
    EXPECT_TRUE(shownValue.startsWith("vvv") && shownValue.endsWith(QChar(0x2026))) << shownValue.size();
    EXPECT_EQ(table->tableInterface()->cellAt(0, 0)->text(QAccessible::Name), "nome");

    // The input box gets the whole value, and gives it back whole.
    const SeenInputBox seen = editRow(0, QString(), false);
    EXPECT_EQ(seen.prefilled.size(), value.size());
    SeenInputBox unchanged;
    ModalScript().then(answerInputBox(unchanged, std::nullopt, true)).run([&] { doubleClickRow(entries, 0); });
    EXPECT_EQ(unchanged.prefilled.size(), value.size());
    EXPECT_TRUE(saved() == file.toStdString());  // megabytes: not printed
}
