#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <ostream>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

// Qt's strings as text in the tests' messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

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

// The address space the process uses now, in bytes.
inline rlim_t addressSpaceInUse()
{
    long pages = 0;
    if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(statm, "%ld", &pages) != 1)
            pages = 0;
        std::fclose(statm);
    }
    return static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE));
}

inline void limit(int resource, rlim_t value)
{
    const rlimit limits{value, value};
    ::setrlimit(resource, &limits);
}

// Limits this process itself until it goes out of scope: the soft limit only,
// which can be raised again. For a process with threads of its own (Qt draws
// with some), where a forked child would wait on threads it does not have.
class ScopedLimit {
public:
    ScopedLimit(int resource, rlim_t value)
        : resource_(resource)
    {
        ::getrlimit(resource, &before_);
        const rlimit limited{value, before_.rlim_max};
        ::setrlimit(resource, &limited);
    }
    ~ScopedLimit() { ::setrlimit(resource_, &before_); }
    ScopedLimit(const ScopedLimit&) = delete;
    ScopedLimit& operator=(const ScopedLimit&) = delete;

private:
    int resource_;
    rlimit before_{};
};

}  // namespace test_files
