#pragma once

#include "gui_support.h"

#include "document/document_editor.h"
#include "document/writer.h"
#include "main_window/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QLineEdit>
#include <QListView>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QWindow>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <optional>
#include <vector>

#ifdef _WIN32
#include "files/fs9_path.h"
#else
#include <pwd.h>
#include <unistd.h>
#endif

// A shown main window over a document of its own, a folder for files that is
// also the home folder (with no Wine prefix chosen), and what the tests do to
// the window.
class WindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
#ifdef _WIN32
        // The simulator's file lies where the system keeps it, for every test alike.
        QFile::remove(simulatorFile());
#endif
        window = std::make_unique<frmMain>(owner);
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
        // Written while the window watches nothing, so that no look at the file
        // loaded before tells of this one.
        owner.setWatching(modMain::DocumentFile::Watching::Off);
        gui_testing::writeFile(file, text);
        EXPECT_TRUE(window->AbrirFS9(file));
        owner.setWatching(watching ? modMain::DocumentFile::Watching::On : modMain::DocumentFile::Watching::Off);
        return file;
    }

    // Whether the window acts on another program's change to its file as it
    // happens, as it does unless a test turns it off.
    void watchFile(bool on)
    {
        watching = on;
        owner.setWatching(on ? modMain::DocumentFile::Watching::On : modMain::DocumentFile::Watching::Off);
    }

    QString path(const QString& name) const
    {
        return folder.filePath(name);
    }
    // The caption as the title bar shows it, "*" for unsaved changes included.
    QString caption() const
    {
        return window->windowHandle()->title();
    }
    const modMain::Document& document() const
    {
        return editor.document();
    }
    // What a save would write now.
    std::string saved() const
    {
        return modMain::documentBytes(editor.document());
    }

    void click(const char* button)
    {
        QTest::mouseClick(gui_testing::child<QPushButton>(window.get(), button), Qt::LeftButton);
    }
    bool enabled(const char* item)
    {
        return gui_testing::child<QAction>(window.get(), item)->isEnabled();
    }

    // Keys typed into the window, to `widget` when given, else wherever the
    // keyboard is; the window made active first, as a closed modal window
    // leaves it on a desktop.
    void keys(const QKeySequence& sequence, QWidget* widget = nullptr)
    {
        window->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(window.get()));
        if (widget)
            widget->setFocus();
        QWidget* focused = QApplication::focusWidget();
        QTest::keySequence(focused ? focused : window.get(), sequence);
    }

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

    // Where the simulator keeps its file (on Linux under ~/.wine); its folder is made.
    QString simulatorFile() const
    {
#ifdef _WIN32
        const QString folderPath = QDir::fromNativeSeparators(files::FS9Path(files::kCsidlAppData)) + "/Microsoft/FS9";
#else
        const QString folderPath = path(".wine/drive_c/users/" + QString::fromLocal8Bit(getpwuid(getuid())->pw_name) +
                                        "/AppData/Roaming/Microsoft/FS9");
#endif
        QDir().mkpath(folderPath);
        return folderPath + "/fs9.cfg";
    }

    // What became of an attempt in one of the dialogs.
    struct Outcome {
        gui_testing::SeenMessage message;  // the refusal, when one was expected
        bool closedItself = false;
        QStringList fieldsAfter;  // what the text boxes held afterwards
    };
    using Fields = std::vector<std::pair<const char*, QString>>;

    // Opens a dialog, fills its text boxes, presses Adicionar, answers the
    // refusal when one is expected, and closes the dialog if it is still open.
    Outcome submit(const std::function<void()>& open, const Fields& fields, bool refused = false)
    {
        Outcome outcome;
        const auto textOf = [](QWidget* field) {
            if (auto* line = qobject_cast<QLineEdit*>(field))
                return line->text();
            return qobject_cast<QPlainTextEdit*>(field)->toPlainText();
        };
        gui_testing::ModalScript script;
        script.then([&](QWidget* dialog) {
            for (const auto& [name, text] : fields)
                gui_testing::enterText(gui_testing::child<QWidget>(dialog, name), text);
            QTest::mouseClick(gui_testing::child<QPushButton>(dialog, "cmbAdicionar"), Qt::LeftButton);
            outcome.closedItself = !dialog->isVisible();
            for (const auto& [name, text] : fields)
                outcome.fieldsAfter.append(textOf(gui_testing::child<QWidget>(dialog, name)));
            dialog->close();
        });
        if (refused)
            script.then(gui_testing::pressInMessageBox(outcome.message));
        script.run(open);
        return outcome;
    }

    Outcome newGroup(const QString& name, bool refused = false)
    {
        return submit([&] { click("cmbNovoGrupo"); }, {{"txtGrupo", name}}, refused);
    }
    Outcome newEntry(const QString& name, const QString& value, bool refused = false)
    {
        return submit([&] { click("cmbNovaEntrada"); }, {{"txtParametro", name}, {"txtValor", value}}, refused);
    }
    Outcome import(const QString& block, bool refused = false)
    {
        return submit([&] { gui_testing::chooseMenuItem(window.get(), "menSequencia"); }, {{"txtSequencia", block}},
                      refused);
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
    modMain::DocumentFile owner{editor};
    QTemporaryDir folder;
    gui_testing::ScopedVariable homeFolder{"HOME", QFile::encodeName(folder.path())};
    gui_testing::ScopedVariable noWinePrefix{"WINEPREFIX", {}};
    gui_testing::ScopedVariable noDataHome{"XDG_DATA_HOME", {}};
    std::unique_ptr<frmMain> window;
    bool watching = true;
    QListView* groups = nullptr;
    QTableView* entries = nullptr;
};
