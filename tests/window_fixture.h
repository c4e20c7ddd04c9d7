#pragma once

#include "gui_support.h"

#include "document/document_editor.h"
#include "document/writer.h"
#include "main_window/frm_main.h"

#include <QAction>
#include <QListView>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <vector>

// A shown main window over a document of its own, a folder for files, and
// what the tests do to the window.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<frmMain>(editor);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        groups = gui_testing::child<QListView>(window.get(), "lstGrupos");
        entries = gui_testing::child<QTableView>(window.get(), "lstConteudo");
    }

    // Writes `text` into the test's folder as `name` and loads it.
    QString load(const QByteArray& text, const QString& name = QStringLiteral("fs9.cfg"))
    {
        const QString file = path(name);
        gui_testing::writeFile(file, text);
        EXPECT_TRUE(window->AbrirFS9(file));
        return file;
    }

    QString path(const QString& name) const { return folder.filePath(name); }
    const modMain::Document& document() const { return editor.document(); }
    // What a save would write now.
    std::string saved() const { return modMain::documentBytes(editor.document()); }

    void click(const char* button)
    {
        QTest::mouseClick(gui_testing::child<QPushButton>(window.get(), button), Qt::LeftButton);
    }
    bool enabled(const char* item) { return gui_testing::child<QAction>(window.get(), item)->isEnabled(); }

    // Chooses a menu item and answers what it opens: the file dialog first when
    // `file` is given (an empty one cancels it), then each message box with the
    // given button. What the message boxes showed.
    std::vector<gui_testing::SeenMessage> choose(const char* item,
                                                 const std::vector<QMessageBox::StandardButton>& answers = {},
                                                 const std::optional<QString>& file = std::nullopt,
                                                 QStringList* nameFilters = nullptr)
    {
        std::vector<gui_testing::SeenMessage> seen(answers.size());
        gui_testing::ModalScript script;
        if (file)
            script.then(gui_testing::answerFileDialog(*file, nameFilters));
        for (std::size_t i = 0; i < answers.size(); ++i)
            script.then(gui_testing::pressInMessageBox(seen[i], answers[i]));
        script.run([&] { gui_testing::chooseMenuItem(window.get(), item); });
        return seen;
    }

    // Double-clicks an entry row and answers the input box.
    gui_testing::SeenInputBox editRow(int row, const QString& text, bool confirm = true)
    {
        gui_testing::SeenInputBox seen;
        gui_testing::ModalScript().then(gui_testing::answerInputBox(seen, text, confirm)).run([&] {
            gui_testing::doubleClickRow(entries, row);
        });
        return seen;
    }

    modMain::DocumentEditor editor;
    QTemporaryDir folder;
    std::unique_ptr<frmMain> window;
    QListView* groups = nullptr;
    QTableView* entries = nullptr;
};
