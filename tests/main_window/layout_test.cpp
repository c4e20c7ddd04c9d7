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

TEST_F(MainWindowTest, ShowsTheDesignsCaptions)
{
    EXPECT_EQ(window->windowTitle(), "Planora");
    EXPECT_FALSE(window->windowIcon().isNull());
    for (const auto& [name, caption] : {std::pair{"Frame1", "Grupos"}, {"Frame2", "Conteúdo"}}) {
        auto* frame = child<QGroupBox>(window.get(), name);
        EXPECT_EQ(frame->title(), QString(caption));
        // Dark red on the caption only, so the frame's children keep the system colours.
        EXPECT_EQ(frame->styleSheet(), "QGroupBox::title { color: rgb(192, 0, 0); }");
    }
    for (const auto& [name, caption] : {std::pair{"cmbNovoGrupo", "Adicionar Grupo"}, {"cmbRemoverGrupo", "Remover Grupo"},
                                        {"cmbNovaEntrada", "Nova Entrada"}, {"cmbRemover", "Remover entrada"}})
        EXPECT_EQ(child<QPushButton>(window.get(), name)->text(), QString(caption));
    auto* entries = child<QTreeWidget>(window.get(), "lstConteudo");
    EXPECT_EQ(entries->headerItem()->text(0), "Parâmetro");
    EXPECT_EQ(entries->headerItem()->text(1), "Valor");
    EXPECT_EQ(entries->columnWidth(0), 233);
    EXPECT_EQ(entries->columnWidth(1), 133);
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
