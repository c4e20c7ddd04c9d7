#include "main_window_fixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QListWidget>
#include <QMenu>
#include <QMenuBar>
#include <QPushButton>
#include <QTreeWidget>

using namespace gui_testing;

TEST_F(MainWindowTest, ShowsItsControlsWhereTheDesignPutsThem)
{
    EXPECT_EQ(window->objectName(), "frmMain");
    EXPECT_EQ(window->windowTitle(), "Planora");
    EXPECT_FALSE(window->windowIcon().isNull());

    const struct {
        const char* name;
        const char* parent;
        QString caption;
        QRect pixels;
    } controls[] = {
        {"Frame1", "", "Grupos", {4, 4, 197, 461}},
        {"lstGrupos", "Frame1", "", {8, 20, 177, 368}},
        {"cmbNovoGrupo", "Frame1", "Adicionar Grupo", {8, 392, 177, 29}},
        {"cmbRemoverGrupo", "Frame1", "Remover Grupo", {8, 424, 177, 29}},
        {"Frame2", "", "Conteúdo", {208, 4, 441, 461}},
        {"lstConteudo", "Frame2", "", {16, 24, 417, 397}},
        {"cmbNovaEntrada", "Frame2", "Nova Entrada", {324, 424, 109, 29}},
        {"cmbRemover", "Frame2", "Remover entrada", {212, 424, 109, 29}},
    };
    for (const auto& c : controls) {
        auto* control = child<QWidget>(window.get(), c.name);
        ASSERT_TRUE(control);
        EXPECT_EQ(control->geometry(), c.pixels) << c.name;
        if (*c.parent) {
            EXPECT_EQ(control->parentWidget()->objectName(), c.parent) << c.name;
        }
        if (auto* frame = qobject_cast<QGroupBox*>(control)) {
            EXPECT_EQ(frame->title(), c.caption);
            // Dark red on the caption only, so the frame's children keep the system colours.
            EXPECT_EQ(frame->styleSheet(), "QGroupBox::title { color: rgb(192, 0, 0); }");
            EXPECT_NE(frame->palette().color(QPalette::WindowText), QColor(192, 0, 0));
        }
        if (auto* button = qobject_cast<QPushButton*>(control)) {
            EXPECT_EQ(button->text(), c.caption);
            EXPECT_FALSE(button->isDefault() || button->autoDefault()) << c.name;
        }
    }

    auto* entries = child<QTreeWidget>(window.get(), "lstConteudo");
    EXPECT_EQ(entries->columnCount(), 2);
    EXPECT_EQ(entries->headerItem()->text(0), "Parâmetro");
    EXPECT_EQ(entries->headerItem()->text(1), "Valor");
    EXPECT_EQ(entries->columnWidth(0), 233);
    EXPECT_EQ(entries->columnWidth(1), 133);
    EXPECT_EQ(entries->editTriggers(), QAbstractItemView::NoEditTriggers);
}

TEST_F(MainWindowTest, KeepsItsFixedSizeWithoutAMaximizeButton)
{
    EXPECT_EQ(window->centralWidget()->size(), QSize(653, 468));
    const QSize size = window->size();
    EXPECT_EQ(window->minimumSize(), size);
    EXPECT_EQ(window->maximumSize(), size);
    EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
    EXPECT_TRUE(window->windowFlags() & Qt::WindowCloseButtonHint);

    window->resize(900, 700);
    EXPECT_EQ(window->size(), size);
    window->showMinimized();
    window->showNormal();
    EXPECT_EQ(window->size(), size);
    EXPECT_EQ(window->centralWidget()->size(), QSize(653, 468));
}

TEST_F(MainWindowTest, OffersTheMenusWithNoAccessKeysOrShortcuts)
{
    const QStringList expected = {
        "menArquivo Arquivo",
        "  menProcurar Procucar CFG",
        "  menSep1 -",
        "  menAbrir Abrir...",
        "  menSalvar Salvar (disabled)",
        "  menSalvarComo Salvar Como...",
        "  menSep2 -",
        "  menSair Sair",
        "menFerramentas Ferramentas",
        "  menSequencia Adicionar itens em sequência...",
        "  menBackup Fazer backup... (disabled)",
        "  menExluir Exluir FS9.cfg",
        "menAjuda Ajuda",
        "  menSobre Sobre...",
    };
    QStringList seen;
    for (QAction* top : window->menuBar()->actions()) {
        seen.append(top->menu()->objectName() + u' ' + top->text());
        for (QAction* item : top->menu()->actions()) {
            seen.append(QStringLiteral("  ") + item->objectName() + u' ' + (item->isSeparator() ? "-" : item->text()) +
                        (item->isEnabled() ? "" : " (disabled)"));
            EXPECT_TRUE(item->shortcut().isEmpty()) << item->objectName().toStdString();
            EXPECT_FALSE(item->isCheckable()) << item->objectName().toStdString();
        }
    }
    EXPECT_EQ(seen, expected);
    EXPECT_FALSE(seen.join(u'\n').contains(u'&'));
}

TEST_F(MainWindowTest, StartsInTheGroupListAndTabsInDesignOrder)
{
    const char* const order[] = {"lstGrupos", "cmbNovoGrupo", "cmbRemoverGrupo", "lstConteudo",
                                 "cmbNovaEntrada", "cmbRemover", "lstGrupos"};
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(window.get(), order[0]));
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(QApplication::focusWidget());
        EXPECT_EQ(QApplication::focusWidget()->objectName(), order[i]) << "after " << order[i - 1];
    }
}

TEST_F(MainWindowTest, EnterAndEscapePressNoButton)
{
    load("[a]\r\nx=1\r\n[b]\r\n");
    auto* groups = child<QListWidget>(window.get(), "lstGrupos");
    auto* entries = child<QTreeWidget>(window.get(), "lstConteudo");
    clickRow(groups, 0);
    clickRow(entries, 0);
    for (const char* name : {"lstGrupos", "lstConteudo", "cmbRemoverGrupo", "cmbRemover"}) {
        auto* control = child<QWidget>(window.get(), name);
        control->setFocus();
        for (const Qt::Key key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape})
            QTest::keyClick(control, key);
    }
    EXPECT_EQ(rowsOf(groups), (QStringList{"[a]", "[b]"}));
    EXPECT_EQ(rowsOf(entries), QStringList{"x=1"});
    EXPECT_TRUE(window->isVisible());
}
