#include "window_fixture.h"

#include <QApplication>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QMenu>
#include <QMenuBar>
#include <QToolTip>

using namespace gui_testing;

TEST_F(WindowTest, ShowsTheDesignsCaptions)
{
    EXPECT_EQ(caption(), "Planora");
    EXPECT_FALSE(window->windowIcon().isNull());
    for (const auto& [name, caption] : {std::pair{"Frame1", "Grupos"}, {"Frame2", "Conteúdo"}}) {
        auto* frame = child<QGroupBox>(window.get(), name);
        EXPECT_EQ(frame->title(), QString(caption));
        // Dark red on the caption only, so the frame's children keep the system colours.
        EXPECT_TRUE(inkColumns(frame, QColor(192, 0, 0))) << name;
        for (auto* button : frame->findChildren<QPushButton*>())
            EXPECT_FALSE(inkColumns(button, QColor(192, 0, 0))) << button->objectName().toStdString();
    }
    for (const auto& [name, caption] : {std::pair{"cmbNovoGrupo", "Adicionar Grupo"},
                                        {"cmbRemoverGrupo", "Remover Grupo"},
                                        {"cmbNovaEntrada", "Nova Entrada"},
                                        {"cmbRemover", "Remover entrada"}})
        EXPECT_EQ(child<QPushButton>(window.get(), name)->text(), QString(caption));
    EXPECT_EQ(entries->model()->headerData(0, Qt::Horizontal).toString(), "Parâmetro");
    EXPECT_EQ(entries->model()->headerData(1, Qt::Horizontal).toString(), "Valor");
}

TEST_F(WindowTest, KeepsItsFixedSizeWithoutAMaximizeButton)
{
    const QSize size = window->size();
    const QSize client = window->centralWidget()->size();
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
    EXPECT_EQ(window->centralWidget()->size(), client);
}

TEST_F(WindowTest, OffersTheMenusWithAccessKeysAndShortcuts)
{
    // Each menu, then its items: name, caption, [keys], "-" for a separator, "(off)" when disabled.
    const QStringList expected = {
        "menArquivo &Arquivo: menProcurar Procucar CFG; menSep1 -; menAbrir Abrir... [Ctrl+O]; menSalvar Salvar "
        "[Ctrl+S] (off); menSalvarComo Salvar Como... [Ctrl+Shift+S]; menVersoes Versões anteriores... (off); "
        "menComparar Comparar com...; menSep2 -; menSair Sair [Ctrl+Q]",
        "menEditar &Editar: menDesfazer Desfazer [Ctrl+Z] (off); menRefazer Refazer [Ctrl+Shift+Z, Ctrl+Y] (off); "
        "menSep3 -; menLocalizar Localizar... [Ctrl+F]; menLocalizarProxima Localizar próxima [F3]",
        "menFerramentas &Ferramentas: menSequencia Adicionar itens em sequência...; menBackup Fazer backup... "
        "(off); menExluir Exluir FS9.cfg",
        "menAjuda A&juda: menSobre Sobre...",
    };
    QStringList seen;
    for (QAction* top : window->menuBar()->actions()) {
        QStringList items;
        for (QAction* item : top->menu()->actions()) {
            QStringList keys;
            for (const QKeySequence& key : item->shortcuts())
                keys.append(key.toString());
            items.append(item->objectName() + u' ' + (item->isSeparator() ? "-" : item->text()) +
                         (keys.isEmpty() ? "" : " [" + keys.join(", ") + "]") + (item->isEnabled() ? "" : " (off)"));
            EXPECT_FALSE(item->isCheckable()) << item->objectName().toStdString();
        }
        seen.append(top->menu()->objectName() + u' ' + top->text() + ": " + items.join("; "));
    }
    EXPECT_EQ(seen, expected);
}

TEST_F(WindowTest, StartsInTheGroupListAndTabsInDesignOrder)
{
    const char* const order[] = {"lstGrupos",      "cmbNovoGrupo", "cmbRemoverGrupo", "lstConteudo",
                                 "cmbNovaEntrada", "cmbRemover",   "lstGrupos"};
    EXPECT_EQ(QApplication::focusWidget(), child<QWidget>(window.get(), order[0]));
    for (std::size_t i = 1; i < std::size(order); ++i) {
        QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
        ASSERT_TRUE(QApplication::focusWidget());
        EXPECT_EQ(QApplication::focusWidget()->objectName(), order[i]) << "after " << order[i - 1];
    }
}

TEST_F(WindowTest, SnapsBackWhereTheWindowManagerIgnoresItsSizeAndTheFirstDownSelectsTheFirstHeader)
{
    const QSize size = window->size();
    window->setMinimumSize(0, 0);  // as a window manager that ignores the hints would treat it
    window->setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    window->resize(900, 700);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window->size() == size; })) << window->width() << "x" << window->height();

    load("[a]\r\n[b]\r\n");
    // The keyboard comes back to the list after the load, as from a file dialog.
    child<QWidget>(window.get(), "cmbNovoGrupo")->setFocus();
    QTest::keyClick(QApplication::focusWidget(), Qt::Key_Backtab);
    ASSERT_EQ(QApplication::focusWidget(), groups);
    QTest::keyClick(groups, Qt::Key_Down);
    EXPECT_EQ(rowsOf(entries), QStringList());
    ASSERT_EQ(selectedRowsOf(groups).size(), 1);
    EXPECT_EQ(selectedRowsOf(groups).first(), "[a]");
}

TEST_F(WindowTest, ShowsTextsCutShortWholeInTheirTooltips)
{
    const QString longHeader = '[' + QString(300, u'h') + ']';
    const QString longValue = QString(300, u'v');
    load(("[curto]\r\n" + longHeader + "\r\nn=" + longValue + "\r\n").toLatin1());
    clickRow(groups, 1);
    const auto tooltipAt = [](QAbstractItemView* list, const QModelIndex& index) {
        QToolTip::hideText();
        EXPECT_TRUE(QTest::qWaitFor([] { return !QToolTip::isVisible(); }));
        const QPoint at = list->visualRect(index).center();
        QHelpEvent event(QEvent::ToolTip, at, list->viewport()->mapToGlobal(at));
        QApplication::sendEvent(list->viewport(), &event);
        return QToolTip::isVisible() ? QToolTip::text() : QString();
    };
    EXPECT_EQ(tooltipAt(groups, groups->model()->index(0, 0)), QString());
    EXPECT_EQ(tooltipAt(groups, groups->model()->index(1, 0)), longHeader);
    EXPECT_EQ(tooltipAt(entries, entries->model()->index(0, 0)), QString());
    EXPECT_EQ(tooltipAt(entries, entries->model()->index(0, 1)), longValue);
}

namespace {

// Whether `widget` draws `text` whole: its ink spans the text's width, but
// for a column or two at each end, which the bounding box gives the glyphs'
// bearings, and text drawn without smoothing (as Wine draws it) leaves blank.
// A character cut off takes more.
bool drawsWhole(QWidget* widget, const QString& text, const QFont& font, const QColor& colour)
{
    const auto columns = inkColumns(widget, colour);
    return columns && columns->second - columns->first + 1 >= QFontMetrics(font).boundingRect(text).width() - 4;
}

// The captions of the buttons, frames and list headings of `window` (not of
// windows it keeps hidden) that are cut short.
QStringList clippedCaptionsOf(QWidget* window)
{
    QStringList clipped;
    for (auto* button : window->findChildren<QPushButton*>()) {
        if (!button->isVisibleTo(window))
            continue;
        QPalette red = button->palette();
        red.setColor(QPalette::ButtonText, Qt::red);
        button->setPalette(red);
        if (!drawsWhole(button, button->text(), button->font(), Qt::red))
            clipped.append(button->text());
    }
    for (auto* frame : window->findChildren<QGroupBox*>()) {
        if (frame->isVisibleTo(window) && !drawsWhole(frame, frame->title(), frame->font(), QColor(192, 0, 0)))
            clipped.append(frame->title());
    }
    for (auto* header : window->findChildren<QHeaderView*>()) {
        if (!header->isVisibleTo(window) || header->orientation() != Qt::Horizontal)
            continue;
        QPalette red = header->palette();
        red.setColor(QPalette::ButtonText, Qt::red);
        red.setColor(QPalette::WindowText, Qt::red);
        header->setPalette(red);
        for (int section = 0; section < header->count(); ++section) {
            const QString text = header->model()->headerData(section, Qt::Horizontal).toString();
            const int width = QFontMetrics(header->font()).horizontalAdvance(text);
            if (width + 8 > header->sectionSize(section))
                clipped.append(text);
        }
    }
    return clipped;
}

}  // namespace

TEST_F(WindowTest, EveryCaptionShowsWholeAtTheDesktopsFontSizes)
{
    const QFont desktop = QApplication::font();
    for (const int points : {9, 10, 11}) {
        SCOPED_TRACE(points);
        QFont font = desktop;
        font.setPointSize(points);
        QApplication::setFont(font);
        modMain::DocumentEditor another;
        modMain::DocumentFile anotherFile(another);
        frmMain fresh(anotherFile);
        fresh.show();
        EXPECT_EQ(clippedCaptionsOf(&fresh), QStringList());
        for (const char* button : {"cmbNovoGrupo", "cmbNovaEntrada"}) {
            ModalScript()
                .then([&](QWidget* dialog) {
                    EXPECT_EQ(clippedCaptionsOf(dialog), QStringList()) << dialog->windowTitle().toStdString();
                    dialog->close();
                })
                .run([&] { QTest::mouseClick(child<QPushButton>(&fresh, button), Qt::LeftButton); });
        }
    }
    QApplication::setFont(desktop);
}
