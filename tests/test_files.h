#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <functional>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Files written and looked at by the tests, and checks run in a child process.
namespace test_files {

inline QByteArray nameOf(const QString& path)
{
    return QFile::encodeName(path);
}

inline void writeFile(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    EXPECT_TRUE(file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size()) << path.toStdString();
}

inline QByteArray contentOf(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}

inline struct stat statOf(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(nameOf(path).constData(), &info), 0) << path.toStdString();
    return info;
}

// Every name in the folder, hidden ones too.
inline QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// Runs `check` in a forked child, where it may limit the process or give up
// privileges without touching the tests; whether it held.
inline bool holdsInChild(const std::function<bool()>& check)
{
    const pid_t child = ::fork();
    if (child == 0)
        ::_exit(check() ? 0 : 1);
    int status = 0;
    return child > 0 && ::waitpid(child, &status, 0) == child && WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

inline void limit(int resource, rlim_t value)
{
    const rlimit limits{value, value};
    ::setrlimit(resource, &limits);
}

}  // namespace test_files
