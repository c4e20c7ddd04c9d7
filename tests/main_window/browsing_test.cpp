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
    clickRow(groups, 0);
    load("[z]\r\nq=1\r\n");  // over a document whose entries are shown
    EXPECT_EQ(rowsOf(groups) + rowsOf(entries), QStringList{"[z]"});
}

TEST_F(BrowsingTest, EditsTheValueOfTheRowsOwnEntry)
{
    load(kSharedHeaders);
    clickRow(groups, 0);

    const SeenInputBox seen = editRow(1, "novo valor");
    EXPECT_EQ(seen.title, "Planora");
    EXPECT_EQ(seen.prompt, "Digite o novo valor para y");
    EXPECT_EQ(seen.prefilled, "2");
    editRow(1, "");  // an empty value is a value
    editRow(4, "ignorado", false);
    editRow(2, "=dez=");
    EXPECT_EQ(rowsOf(entries), (QStringList{"x=1", "y=", "x==dez=", "x=4", "w=5"}));
    editRow(4, " 5 ");  // blanks are kept
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\ny=\r\nx==dez=\r\n[b]\r\nz=9\r\n[a]\r\nx=4\r\nw= 5 \r\n");
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

TEST_F(BrowsingTest, EachRowActsOnItsOwnSlotAndUndoTakesBackThatSlot)
{
    // Each case selects a group row, acts, and is then undone and redone.
    const struct {
        const char* name;
        int groupRow;
        std::function<void()> act;
        int steps;          // in the history
        const char* shown;  // the group rows | the entry rows | the selected rows
        std::string saved;
    } cases[] = {
        {"the value of the first group's second x", 2, [&] { editRow(2, "novo"); }, 1,
         "[a] [b] [a] | x=1 y=2 x=novo x=4 w=5 | [a] x",
         "[a]\r\nx=1\r\ny=2\r\nx=novo\r\n[b]\r\nz=9\r\n[a]\r\nx=4\r\nw=5\r\n"},
        {"the value of the second group's x", 0, [&] { editRow(3, "novo"); }, 1,
         "[a] [b] [a] | x=1 y=2 x=3 x=novo w=5 | [a] x",
         "[a]\r\nx=1\r\ny=2\r\nx=3\r\n[b]\r\nz=9\r\n[a]\r\nx=novo\r\nw=5\r\n"},
        {"the first group's second x removed", 0, [&] { clickRow(entries, 2), click("cmbRemover"); }, 1,
         "[a] [b] [a] | x=1 y=2 x=4 w=5 | [a]", "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=9\r\n[a]\r\nx=4\r\nw=5\r\n"},
        {"Delete on the second group's x, then on the row that took its place", 0,
         [&] { clickRow(entries, 3), keys(Qt::Key_Delete, entries), keys(Qt::Key_Delete, entries); }, 2,
         "[a] [b] [a] | x=1 y=2 x=3 | [a] x", "[a]\r\nx=1\r\ny=2\r\nx=3\r\n[b]\r\nz=9\r\n[a]\r\n"},
        {"the second [a] group removed", 2, [&] { click("cmbRemoverGrupo"); }, 1, "[a] [b] |  | ",
         "[a]\r\nx=1\r\ny=2\r\nx=3\r\n[b]\r\nz=9\r\n"},
        {"Delete on the first [a], then on the row that took its place", 0,
         [&] { keys(Qt::Key_Delete, groups), keys(Qt::Key_Delete, groups); }, 2, "[a] | x=4 w=5 | [a]",
         "[a]\r\nx=4\r\nw=5\r\n"},
        {"Delete on the last group row, then on the new last one", 2,
         [&] { keys(Qt::Key_Delete, groups), keys(Qt::Key_Delete, groups); }, 2, "[a] | x=1 y=2 x=3 | [a]",
         "[a]\r\nx=1\r\ny=2\r\nx=3\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        load(kSharedHeaders);
        clickRow(groups, c.groupRow);
        c.act();
        EXPECT_EQ(rowsOf(groups).join(' ') + " | " + rowsOf(entries).join(' ') + " | " +
                      (selectedRowsOf(groups) + selectedRowsOf(entries)).join(' '),
                  c.shown);
        EXPECT_EQ(saved(), c.saved);
        for (int i = 0; i < c.steps; ++i)
            keys(QKeySequence::Undo);
        EXPECT_EQ(saved(), kSharedHeaders.toStdString());
        for (int i = 0; i < c.steps; ++i)
            keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
        EXPECT_EQ(saved(), c.saved);
    }
}

TEST_F(BrowsingTest, WhatChangesNothingIsNoChange)
{
    load(kSharedHeaders);
    click("cmbRemoverGrupo");  // no row selected: nothing to act on
    clickRow(groups, 0);
    click("cmbRemover");
    editRow(0, "novo");
    keys(QKeySequence::Undo);
    // The value it has, and a block whose every line sets a value to what it is: no step,
    // the redo history kept, nothing unsaved.
    editRow(1, "2");
    EXPECT_TRUE(import("[a]\ny=2\nw=5\n[b]\n").closedItself);
    EXPECT_FALSE(enabled("menDesfazer"));
    EXPECT_TRUE(enabled("menRefazer"));
    EXPECT_FALSE(caption().endsWith('*'));
    keys(QKeySequence(Qt::CTRL | Qt::Key_Y));
    EXPECT_EQ(saved(), "[a]\r\nx=novo\r\ny=2\r\nx=3\r\n[b]\r\nz=9\r\n[a]\r\nx=4\r\nw=5\r\n");
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
