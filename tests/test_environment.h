#pragma once

#include "app/process_settings.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// What every test program runs in: the program's own process settings, and a
// folder of its own, removed at its end, that is the home folder, holds the
// desktop's data, configuration, cache and runtime folders and is the current
// directory: nothing a test does reaches the checkout or the user's files.
class TestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        makeProcessSettings();
        const QDir root(folder_.path());
        qputenv("HOME", QFile::encodeName(root.path()));
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            ASSERT_TRUE(root.mkdir(name));
            qputenv(name, QFile::encodeName(root.filePath(name)));
        }
        QFile::setPermissions(root.filePath("XDG_RUNTIME_DIR"), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        ASSERT_TRUE(QDir::setCurrent(root.path()));
    }

private:
    QTemporaryDir folder_;
};
