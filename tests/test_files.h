#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QString>

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <functional>
#include <ostream>

#ifdef _WIN32
#include <windows.h>

#include <future>
#include <thread>
#else
#include <cerrno>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <sys/xattr.h>
#include <unistd.h>
#endif

// Qt's strings as text in the tests' messages.
inline void PrintTo(const QString& text, std::ostream* out)
{
    *out << '"' << text.toStdString() << '"';
}

// Files written and looked at by the tests, on every system; on Linux also
// checks run in a child process.
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

// Every name in the folder, hidden ones too.
inline QStringList entriesOf(const QString& folder)
{
    return QDir(folder).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden | QDir::System);
}

// The lengths of the long paths the tests name files by: about the longest
// a Windows call takes without a long-path prefix, and well beyond.
inline constexpr int kLongPathLengths[] = {250, 262, 290, 307, 330};

// A file in a chain of folders with accented names below `root`, made here,
// whose absolute path is `length` characters long (as the system writes it:
// "C:\Voos\Configurações do João\...\fs9.cfg" on Windows).
inline QString longAccentedPath(const QString& root, int length)
{
    static const QString kNames[] = {QStringLiteral("Configurações do João"),
                                     QStringLiteral("pasta de configurações número 1 do simulador"),
                                     QStringLiteral("ações e opções à mão"), QStringLiteral("Pilotagem ÁÉÍÓÚ çãõ")};
    const QString file = QStringLiteral("fs9.cfg");
    QString folder = QDir(root).absolutePath();
    for (std::size_t i = 0;; ++i) {
        const qsizetype left = length - folder.size() - 1 - file.size();
        const QString& name = kNames[i % std::size(kNames)];
        if (left < name.size() + 3) {
            if (left > 1)
                folder += u'/' + QString(left - 1, QChar(u'ê'));
            break;
        }
        folder += u'/' + name;
    }
    EXPECT_TRUE(QDir().mkpath(folder)) << folder.toStdString();
    return folder + u'/' + file;
}

#ifdef _WIN32

// Whether this is Wine rather than Windows itself: Wine's ntdll says its version.
inline bool underWine()
{
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// The name a Windows call takes; one starting \\?\ may be longer than MAX_PATH.
inline std::wstring wideName(const QString& path)
{
    return QDir::toNativeSeparators(path).toStdWString();
}

// The system's error for a missing folder on the way.
inline int missingFolderError()
{
    return ERROR_PATH_NOT_FOUND;
}

// File times count 100 ns since 1601; the file layer's clock nanoseconds since 1970.
constexpr std::int64_t kTicksTo1970 = 116'444'736'000'000'000;

// The file's modification time, in the clock of the file layer.
inline std::int64_t modifiedNsOf(const QString& path)
{
    WIN32_FILE_ATTRIBUTE_DATA data{};
    EXPECT_TRUE(GetFileAttributesExW(wideName(path).c_str(), GetFileExInfoStandard, &data)) << path.toStdString();
    const auto ticks = std::int64_t((std::uint64_t(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                    data.ftLastWriteTime.dwLowDateTime);
    return (ticks - kTicksTo1970) * 100;
}

inline void setModifiedNs(const QString& path, std::int64_t ns)
{
    const HANDLE file = CreateFileW(wideName(path).c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    const auto ticks = static_cast<std::uint64_t>(ns / 100 + kTicksTo1970);
    const FILETIME time{static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
    EXPECT_TRUE(file != INVALID_HANDLE_VALUE && SetFileTime(file, nullptr, nullptr, &time)) << path.toStdString();
    CloseHandle(file);
}

inline bool hardLink(const QString& file, const QString& otherName)
{
    return CreateHardLinkW(wideName(otherName).c_str(), wideName(file).c_str(), nullptr);
}

// Opens the file for writing as most programs do, sharing it with readers,
// and writes `bytes` over its start; whether the system let it.
inline bool writeOver(const QString& path, const QByteArray& bytes)
{
    const HANDLE file = CreateFileW(wideName(path).c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return false;
    DWORD written = 0;
    const bool done = WriteFile(file, bytes.constData(), DWORD(bytes.size()), &written, nullptr) &&
                      written == DWORD(bytes.size());
    return CloseHandle(file) && done;
}

// What a save must keep of the file that a new file would not have: on
// Windows the system keeps it all (ReplaceFileW).
inline void giveSomethingToKeep(const QString&)
{
}

// Another program writing the file that keeps everyone else out while it
// does: it opens it for writing, sharing it with nobody, writes `first`,
// holds it `heldMs`, writes `last` and closes it; a thread with a handle of
// its own stands for it.
class WriterHolding {
public:
    WriterHolding(const QString& path, const QByteArray& first, int heldMs, const QByteArray& last)
    {
        std::promise<void> ready;
        std::future<void> opened = ready.get_future();
        writer_ = std::thread([=, name = wideName(path), ready = std::move(ready)]() mutable {
            const HANDLE file = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, TRUNCATE_EXISTING,
                                            FILE_ATTRIBUTE_NORMAL, nullptr);
            ready.set_value();
            DWORD written = 0;
            WriteFile(file, first.constData(), DWORD(first.size()), &written, nullptr);
            Sleep(DWORD(heldMs));
            WriteFile(file, last.constData(), DWORD(last.size()), &written, nullptr);
            CloseHandle(file);
        });
        opened.wait();
    }
    ~WriterHolding() { writer_.join(); }
    WriterHolding(const WriterHolding&) = delete;
    WriterHolding& operator=(const WriterHolding&) = delete;

private:
    std::thread writer_;
};

#else

inline struct stat statOf(const QString& path)
{
    struct stat info {};
    EXPECT_EQ(::stat(nameOf(path).constData(), &info), 0) << path.toStdString();
    return info;
}

inline int missingFolderError()
{
    return ENOENT;
}

inline std::int64_t modifiedNsOf(const QString& path)
{
    const struct stat info = statOf(path);
    return std::int64_t(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

inline void setModifiedNs(const QString& path, std::int64_t ns)
{
    const timespec times[] = {{0, UTIME_OMIT}, {ns / 1'000'000'000, ns % 1'000'000'000}};
    EXPECT_EQ(::utimensat(AT_FDCWD, nameOf(path).constData(), times, 0), 0) << path.toStdString();
}

inline bool hardLink(const QString& file, const QString& otherName)
{
    return ::link(nameOf(file).constData(), nameOf(otherName).constData()) == 0;
}

// Opens the file for writing and writes `bytes` over its start; whether the system let it.
inline bool writeOver(const QString& path, const QByteArray& bytes)
{
    const int fd = ::open(nameOf(path).constData(), O_WRONLY);
    if (fd < 0)
        return false;
    const bool done = ::pwrite(fd, bytes.constData(), std::size_t(bytes.size()), 0) == bytes.size();
    return ::close(fd) == 0 && done;
}

// What a save must keep of the file that a new file would not have: an extended attribute.
inline void giveSomethingToKeep(const QString& path)
{
    EXPECT_EQ(::setxattr(nameOf(path).constData(), "user.note", "nota", 4, 0), 0);
}

// Another program writing the file: a child process opens it for writing
// (cutting it short), writes `first`, holds it `heldMs`, writes `last` and ends.
class WriterHolding {
public:
    WriterHolding(const QString& path, const QByteArray& first, int heldMs, const QByteArray& last)
    {
        int ready[2];
        EXPECT_EQ(::pipe(ready), 0);
        child_ = ::fork();
        if (child_ == 0) {
            const int fd = ::open(nameOf(path).constData(), O_WRONLY | O_TRUNC);
            ::write(ready[1], "x", 1);
            ::write(fd, first.constData(), std::size_t(first.size()));
            ::usleep(static_cast<useconds_t>(heldMs) * 1000);
            ::write(fd, last.constData(), std::size_t(last.size()));
            ::_exit(0);
        }
        char token;
        EXPECT_EQ(::read(ready[0], &token, 1), 1);
        ::close(ready[0]);
        ::close(ready[1]);
    }
    ~WriterHolding() { ::waitpid(child_, nullptr, 0); }
    WriterHolding(const WriterHolding&) = delete;
    WriterHolding& operator=(const WriterHolding&) = delete;

private:
    pid_t child_;
};

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

#endif

}  // namespace test_files
