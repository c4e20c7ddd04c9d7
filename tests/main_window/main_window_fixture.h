#pragma once

#include "gui_support.h"

#include "document/document.h"
#include "main_window/frm_main.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

// A shown main window over a document of its own, and a folder for files.
class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        window = std::make_unique<frmMain>(document);
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    }

    // Writes `text` into the test's folder as `name` and loads it.
    QString load(const QByteArray& text, const QString& name = QStringLiteral("fs9.cfg"))
    {
        const QString path = folder.filePath(name);
        gui_testing::writeFile(path, text);
        EXPECT_TRUE(window->AbrirFS9(path));
        return path;
    }

    QString path(const QString& name) const { return folder.filePath(name); }

    modMain::Document document;
    std::unique_ptr<frmMain> window;
    QTemporaryDir folder;
};
