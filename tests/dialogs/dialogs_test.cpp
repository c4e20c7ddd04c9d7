#include "window_fixture.h"

#include "dialogs/build_facts.h"

#include <QAccessible>
#include <QApplication>
#include <QLabel>

using namespace gui_testing;

class DialogsTest : public WindowTest {};

TEST_F(DialogsTest, OpenFixedWithTheirFocusTabOrderNamedBoxesAndNoEnterOrEscape)
{
    const auto accessibleName = [](QWidget* widget) {
        return QAccessible::queryAccessibleInterface(widget)->text(QAccessible::Name);
    };
    EXPECT_EQ(accessibleName(groups), "Grupos");
    EXPECT_EQ(accessibleName(entries), "Conteúdo");

    const struct {
        std::function<void()> open;
        QString title;
        const char* tabOrder;  // from the initial focus round to it again
        QStringList names;     // box: its accessible name, after its caption
    } dialogs[] = {
        {[&] { click("cmbNovoGrupo"); },
         "Adicionar Grupo",
         "txtGrupo cmbAdicionar cmbCancel txtGrupo",
         {"txtGrupo: Digite o nome do grupo"}},
        {[&] { click("cmbNovaEntrada"); },
         "Adicionar Entrada",
         "txtParametro txtValor cmbAdicionar cmbCancelar txtParametro",
         {"txtParametro: Parâmetro", "txtValor: Valor"}},
        {[&] { chooseMenuItem(window.get(), "menSequencia"); },
         "Adicionar conjunto",
         "txtSequencia cmbAdicionar cmbCancelar txtSequencia",
         {"txtSequencia: Cole aqui a sua sequência"}},
        {[&] { chooseMenuItem(window.get(), "menSobre"); }, "Sobre o Planora", "cmbOK cmbOK", {}},
    };
    for (const auto& d : dialogs) {
        SCOPED_TRACE(d.title.toStdString());
        const QStringList expectedOrder = QString(d.tabOrder).split(u' ');
        QStringList tabOrder;
        QStringList names;
        bool openAfterKeys = false;
        bool closedByCloseBox = false;
        ModalScript()
            .then([&](QWidget* dialog) {
                EXPECT_EQ(dialog->windowTitle(), d.title);
                EXPECT_EQ(dialog->minimumSize(), dialog->maximumSize());
                EXPECT_FALSE(dialog->windowFlags() & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
                EXPECT_TRUE((dialog->windowFlags() & Qt::WindowCloseButtonHint) && !dialog->windowIcon().isNull());
                tabOrder.append(QApplication::focusWidget()->objectName());
                for (int i = 1; i < expectedOrder.size(); ++i) {
                    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
                    tabOrder.append(QApplication::focusWidget()->objectName());
                }
                for (const QString& expected : d.names) {
                    const QByteArray box = expected.section(':', 0, 0).toLatin1();
                    names.append(box + ": " + accessibleName(child<QWidget>(dialog, box)));
                }
                // Escape anywhere, and Enter in a text box, press nothing.
                QWidget* first = child<QWidget>(dialog, expectedOrder.first().toLatin1());
                QTest::keyClick(first, Qt::Key_Escape);
                if (!qobject_cast<QPushButton*>(first))
                    QTest::keyClick(first, Qt::Key_Return);
                openAfterKeys = dialog->isVisible();
                dialog->close();
                closedByCloseBox = !dialog->isVisible();
            })
            .run(d.open);
        EXPECT_EQ(tabOrder, expectedOrder);
        EXPECT_EQ(names, d.names);
        EXPECT_TRUE(openAfterKeys);
        EXPECT_TRUE(closedByCloseBox);
    }
    EXPECT_EQ(document().GroupCount(), 0);
    EXPECT_EQ(caption(), "Planora");

    // The new-entry captions show their whole text.
    ModalScript()
        .then([&](QWidget* dialog) {
            for (const char* name : {"Label1", "Label2"}) {
                auto* label = child<QLabel>(dialog, name);
                EXPECT_LE(QFontMetrics(label->font()).horizontalAdvance(label->text()), label->width()) << name;
            }
            dialog->close();
        })
        .run([&] { click("cmbNovaEntrada"); });
}

TEST_F(DialogsTest, NewGroupRefusesAListedHeaderOnly)
{
    load("[grupo1]\r\nx=1\r\n[velho]\r\n");
    clickRow(groups, 1);
    click("cmbRemoverGrupo");
    clickRow(groups, 0);

    const Outcome listed = newGroup("grupo1", true);
    expectMessage(listed.message, QMessageBox::Information, "Grupo já existente",
                  "Já existe um grupo com esse mesmo nome");
    EXPECT_FALSE(listed.closedItself);
    EXPECT_EQ(listed.fieldsAfter, QStringList{"grupo1"});

    // Typed with its brackets, a name is the header itself; in another letter case, the same header.
    EXPECT_FALSE(newGroup("[grupo1]", true).closedItself);
    EXPECT_FALSE(newGroup("Grupo1", true).closedItself);
    for (const char* name : {" grupo1", "[grupo2]", "[grupo3", "", "velho", "a=b"})
        EXPECT_TRUE(newGroup(name).closedItself) << name;
    EXPECT_FALSE(newGroup("", true).closedItself);  // "[]" is listed now

    EXPECT_EQ(rowsOf(groups),
              (QStringList{"[grupo1]", "[ grupo1]", "[grupo2]", "[[grupo3]", "[]", "[velho]", "[a=b]"}));
    EXPECT_EQ(selectedRowsOf(groups).size(), 1);
    EXPECT_EQ(rowsOf(entries), QStringList{"x=1"});
    EXPECT_EQ(document().GroupCount(), 8);
    EXPECT_EQ(saved(), "[grupo1]\r\nx=1\r\n[ grupo1]\r\n[grupo2]\r\n[[grupo3]\r\n[]\r\n[velho]\r\n[a=b]\r\n");
}

TEST_F(DialogsTest, NewEntryGoesToEveryGroupOfTheHeaderAndStaysOpen)
{
    load("[a]\r\nx=1\r\n[b]\r\n[a]\r\ny=2\r\n");
    EXPECT_FALSE(newEntry("n", "v").closedItself);  // no header selected: nothing changes
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\n[b]\r\n[a]\r\ny=2\r\n");

    clickRow(groups, 0);
    const Outcome shown = newEntry("y", "3", true);
    expectMessage(shown.message, QMessageBox::Information, "Parâmetro já existente",
                  "Já existe um parâmetro com esse mesmo nome");
    EXPECT_EQ(shown.fieldsAfter, (QStringList{"y", "3"}));

    // Two adds in one dialog: the second is refused, its row now being shown.
    SeenMessage second;
    bool open = false;
    ModalScript()
        .then([&](QWidget* dialog) {
            enterText(child<QWidget>(dialog, "txtParametro"), "w");
            enterText(child<QWidget>(dialog, "txtValor"), " 4 ");
            for (int press = 0; press < 2; ++press)
                QTest::mouseClick(child<QPushButton>(dialog, "cmbAdicionar"), Qt::LeftButton);
            open = dialog->isVisible();
            QTest::mouseClick(child<QPushButton>(dialog, "cmbCancelar"), Qt::LeftButton);
        })
        .then(pressInMessageBox(second))
        .run([&] { click("cmbNovaEntrada"); });
    EXPECT_TRUE(open);
    expectMessage(second, QMessageBox::Information, "Parâmetro já existente",
                  "Já existe um parâmetro com esse mesmo nome");
    EXPECT_EQ(rowsOf(entries), (QStringList{"x=1", "y=2", "w= 4 ", "w= 4 "}));
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\nw= 4 \r\n[b]\r\n[a]\r\ny=2\r\nw= 4 \r\n");
}

TEST_F(DialogsTest, WhatThePilotAddsMatchesHeadersAndNamesWhateverTheirLetterCase)
{
    // A file with accented capitals, and one header in two spellings, which stay two groups.
    const QByteArray file = "[GRAPHICS]\r\nTEXTURE_MAX_LOAD=1024\r\n[\xC1UDIO]\r\nVOLUME=1\r\n[SOUND]\r\nx=1\r\n"
                            "[sound]\r\ny=2\r\n";
    const std::string unchanged = file.toStdString();
    const struct {
        const char* name;
        std::function<Outcome()> add;
        bool refused;
        std::string saved;
    } cases[] = {
        {"a block in lower case sets the entry the file spells its own way",
         [this] { return import("[graphics]\ntexture_max_load=4096\n"); }, false,
         "[GRAPHICS]\r\nTEXTURE_MAX_LOAD=4096\r\n[\xC1UDIO]\r\nVOLUME=1\r\n[SOUND]\r\nx=1\r\n[sound]\r\ny=2\r\n"},
        {"accented capitals fold as Windows-1252 folds them", [this] { return import("[áudio]\nvolume=5\n"); }, false,
         "[GRAPHICS]\r\nTEXTURE_MAX_LOAD=1024\r\n[\xC1UDIO]\r\nVOLUME=5\r\n[SOUND]\r\nx=1\r\n[sound]\r\ny=2\r\n"},
        {"a new name goes to the group found in another case", [this] { return import("[Graphics]\nNovo=1\n"); }, false,
         "[GRAPHICS]\r\nTEXTURE_MAX_LOAD=1024\r\nNovo=1\r\n[\xC1UDIO]\r\nVOLUME=1\r\n[SOUND]\r\nx=1\r\n"
         "[sound]\r\ny=2\r\n"},
        {"of two spellings, the name is found in either", [this] { return import("[Sound]\nY=9\n"); }, false,
         "[GRAPHICS]\r\nTEXTURE_MAX_LOAD=1024\r\n[\xC1UDIO]\r\nVOLUME=1\r\n[SOUND]\r\nx=1\r\n[sound]\r\ny=9\r\n"},
        {"a new group in another case", [this] { return newGroup("graphics", true); }, true, unchanged},
        {"a new group of accented capitals", [this] { return newGroup("[áudio]", true); }, true, unchanged},
        {"a new entry in another case",
         [this] {
             clickRow(groups, 1);
             return newEntry("volume", "2", true);
         },
         true, unchanged},
        {"a new entry of another name",
         [this] {
             clickRow(groups, 1);
             return newEntry("volumes", "2");
         },
         false,
         "[GRAPHICS]\r\nTEXTURE_MAX_LOAD=1024\r\n[\xC1UDIO]\r\nVOLUME=1\r\nvolumes=2\r\n[SOUND]\r\nx=1\r\n"
         "[sound]\r\ny=2\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        load(file);
        const Outcome outcome = c.add();
        EXPECT_EQ(!outcome.message.title.isEmpty(), c.refused) << outcome.message.title.toStdString();
        EXPECT_EQ(saved(), c.saved);
    }
}

TEST_F(DialogsTest, RefusesTextTheFileCannotKeep)
{
    load("[a]\r\nx=1\r\n");
    clickRow(groups, 0);
    const QString invalid = "O texto contém caracteres que não podem ser gravados no arquivo: ";
    const QString unreadable = "O arquivo não leria esse parâmetro de volta como foi digitado: o nome não pode "
                               "conter \"=\", e um nome que começa com \"[\" não pode ter um valor que termina "
                               "com \"]\".";
    const struct {
        std::function<Outcome()> attempt;
        QString title;
        QString text;
    } cases[] = {
        {[&] { return newGroup("日本", true); }, "Caractere inválido", invalid + "日本"},
        {[&] { return newEntry("n", "→", true); }, "Caractere inválido", invalid + "→"},
        {[&] { return newEntry("a=b", "c", true); }, "Parâmetro inválido", unreadable},
        {[&] { return newEntry("[n", "v]", true); }, "Parâmetro inválido", unreadable},
        {[&] { return import("[a]\nz=1\n[novo]\nw=€ ✓\n", true); }, "Caractere inválido", invalid + "✓"},
    };
    for (const auto& c : cases) {
        const Outcome outcome = c.attempt();
        expectMessage(outcome.message, QMessageBox::Information, c.title, c.text);
        EXPECT_FALSE(outcome.closedItself);
    }
    EXPECT_EQ(rowsOf(groups), QStringList{"[a]"});
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\n");
}

TEST_F(DialogsTest, ImportAppliesTheBlockInOrder)
{
    load("[a]\r\nx=1\r\n[b]\r\n[a]\r\n[gone]\r\n");
    clickRow(groups, 3);
    click("cmbRemoverGrupo");
    clickRow(groups, 0);

    // Any line break ends a line; values keep every "="; empty and blank lines are skipped.
    const Outcome done = import("[a]\r\ny = 2 \r\n \t \r\n\r\n[novo]\nk=v=w\r[gone]\n=\n[novo]\nz=");
    EXPECT_TRUE(done.closedItself);
    EXPECT_TRUE(rowsOf(entries).isEmpty());
    EXPECT_EQ(selectedRowsOf(groups).first(), "[a]");
    EXPECT_EQ(rowsOf(groups), (QStringList{"[a]", "[b]", "[a]", "[novo]", "[gone]"}));
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\ny = 2 \r\n[b]\r\n[a]\r\n[novo]\r\nk=v=w\r\nz=\r\n[gone]\r\n=\r\n");

    for (const QString block : {"", "\n[a]\nq=1", "grupo1\nq=1", "[a\nq=1"}) {
        const Outcome refused = import(block, true);
        expectMessage(
            refused.message, QMessageBox::Information, "Grupo Inválido",
            "A primeira linha deve ser obrigatóriamente o grupo ao qual as propriedades pertencem. Ex [grupo1]");
        EXPECT_EQ(refused.fieldsAfter, QStringList{block + "\n"});
    }
    // Any other line refuses the whole block, named by its number in the pasted text.
    for (const auto& [block, line] : {std::pair{QString("[a]\nx=1\nTEXTURE_MAX_LOAD 2048\nw=2"), 3},
                                      {QString("[a]\n\n  \n[novo2]\nq=1\n[novo2] "), 6},
                                      {QString("[a]\r\nx=1\rsem igual\n"), 3}}) {
        const Outcome refused = import(block, true);
        expectMessage(refused.message, QMessageBox::Information, "Linha inválida",
                      QString("Linha %1: a linha não é um grupo nem tem \"=\".").arg(line));
        EXPECT_EQ(refused.fieldsAfter, QStringList{QString(block).replace("\r\n", "\n").replace('\r', '\n') + "\n"});
    }
    EXPECT_EQ(document().GroupCount(), 6);
    EXPECT_EQ(saved(), "[a]\r\nx=1\r\ny = 2 \r\n[b]\r\n[a]\r\n[novo]\r\nk=v=w\r\nz=\r\n[gone]\r\n=\r\n");
}

TEST_F(DialogsTest, RefusesAtTheLimitsAndKeepsTheListsInStep)
{
    // One group slot left, and one entry slot in "[a]".
    load("[a]\r\n" + QByteArray("n=v\r\n").repeated(modMain::kMaxSlots - 1) +
         QByteArray("[g]\r\n").repeated(modMain::kMaxSlots - 2));
    clickRow(groups, 0);
    const std::string before = saved();
    const QString groupLimit = "O documento já tem o número máximo de grupos (32767).";
    const QString entryLimit = "O grupo já tem o número máximo de parâmetros (32767).";

    // A block that does not fit is refused whole, counting what it adds itself.
    for (const auto& [block, text] :
         {std::pair{QString("[novo]\n[outro]\n"), groupLimit}, {QString("[a]\nx=1\n[novo]\n[a]\ny=2\n"), entryLimit}}) {
        const Outcome refused = import(block, true);
        expectMessage(refused.message, QMessageBox::Information, "Limite atingido", text);
        EXPECT_EQ(refused.fieldsAfter, QStringList{block + "\n"});
        EXPECT_EQ(saved(), before) << block.toStdString();
        EXPECT_EQ(rowsOf(groups).size(), modMain::kMaxSlots - 1);
        EXPECT_EQ(rowsOf(entries).size(), modMain::kMaxSlots - 1);
    }
    EXPECT_TRUE(import("[a]\nx=1\n[novo]\n").closedItself);  // exactly full fits

    clickRow(groups, 1);
    clickRow(groups, 0);
    expectMessage(newGroup("outro", true).message, QMessageBox::Information, "Limite atingido", groupLimit);
    expectMessage(newEntry("m", "1", true).message, QMessageBox::Information, "Limite atingido", entryLimit);
    EXPECT_EQ(rowsOf(groups).size(), modMain::kMaxSlots);
    EXPECT_EQ(rowsOf(entries).size(), modMain::kMaxSlots);
    EXPECT_EQ(document().GroupCount(), modMain::kMaxSlots);
}

TEST_F(DialogsTest, AboutTellsWhatBuiltTheProgramAndClosesFromItsButton)
{
    const struct {
        Qt::Key key;
        bool closes;
    } keys[] = {{Qt::Key_Escape, false}, {Qt::Key_Return, true}, {Qt::Key_Space, true}};
    for (const auto& k : keys) {
        QStringList labels;
        bool closed = false;
        ModalScript()
            .then([&](QWidget* dialog) {
                for (const char* name :
                     {"Label1", "Label2", "Label3", "Label4", "Label5", "Label6", "Label7", "Label8"})
                    labels.append(child<QLabel>(dialog, name)->text());
                EXPECT_EQ(child<QLabel>(dialog, "Image1")->pixmap().size(), QSize(48, 48));
                QTest::keyClick(QApplication::focusWidget(), k.key);
                closed = !dialog->isVisible();
                dialog->close();
            })
            .run([&] { chooseMenuItem(window.get(), "menSobre"); });
        EXPECT_EQ(closed, k.closes);
        ASSERT_EQ(labels.size(), 8);
        EXPECT_EQ(labels.mid(0, 5), (QStringList{"Planora",
                                                 "Crie, salve e modifique o arquivo de configuração do Microsoft "
                                                 "Flight Simulator 2004.",
                                                 "Criado por:", "Equipe Planora", "IDE:"}));
        EXPECT_TRUE(labels[5].startsWith("Qt " QT_VERSION_STR ", ")) << labels[5].toStdString();
        EXPECT_EQ(labels[6], "Nº Linhas:");
        EXPECT_EQ(labels[7], QString::number(kSourceLines));
    }
}
