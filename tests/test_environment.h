#pragma once

#include "app/process_settings.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

// What every test program runs in: the program's own process settings, and a
// folder of its own, made afresh and removed at its end, that is the home
// folder, holds the desktop's data, configuration, cache and runtime folders
// and is the current directory. Nothing a test does reaches the checkout or
// the user's own files.
class TestEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        makeProcessSettings();
        ASSERT_TRUE(folder_.isValid());
        const QDir root(folder_.path());
        for (const char* name : {"XDG_DATA_HOME", "XDG_CONFIG_HOME", "XDG_CACHE_HOME", "XDG_RUNTIME_DIR"}) {
            const QString path = root.filePath(QString::fromLatin1(name).toLower());
            ASSERT_TRUE(root.mkpath(path));
            QFile::setPermissions(path, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
            qputenv(name, QFile::encodeName(path));
        }
        qputenv("HOME", QFile::encodeName(root.path()));
        ASSERT_TRUE(QDir::setCurrent(root.path()));
    }

private:
    QTemporaryDir folder_;
};
