// Reading a file on Linux: pipes, sockets and devices, files of /proc,
// running out of memory, and another program writing the file meanwhile.
#include "files/file_reading.h"
#include "files/file_reasons.h"

#include "files_support.h"
#include "socket_file.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <functional>
#include <utility>

#include <fcntl.h>

namespace files {
namespace {

using test_files::contentOf;
using test_files::entriesOf;
using test_files::nameOf;
using test_files::statOf;
using test_files::writeFile;
using testing::kLimit;
using testing::saveText;

TEST(SafeReadOnLinux, RefusesPipesSocketsAndDevicesAndReadsWhatProcMakes)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath("fifo.cfg");
    ASSERT_EQ(::mkfifo(nameOf(fifo).constData(), 0644), 0);
    const QString socket = folder.filePath("s.cfg");
    makeSocket(socket);
    const struct {
        QString path;
        QString reason;
    } cases[] = {
        {fifo, "É um pipe (FIFO), não um arquivo comum."},
        {socket, "É um socket, não um arquivo comum."},
        {"/dev/zero", "É um dispositivo, não um arquivo comum."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readRegularFile(c.path, kLimit).error, c.reason) << c.path.toStdString();
    // A /proc file reports a size of zero; its bytes are read all the same.
    const FileContent status = readRegularFile("/proc/self/status", kLimit);
    ASSERT_TRUE(status.bytes) << status.error.toStdString();
    EXPECT_TRUE(status.bytes->view().starts_with("Name:"));
    // A file that says nothing of its size is read only as far as the limit.
    EXPECT_EQ(readRegularFile("/proc/self/status", 10).error, "O arquivo tem mais de 10 bytes.");
}

#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer needs more address space than any such limit leaves
TEST(SafeReadOnLinux, RunningOutOfMemoryIsARefusal)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("fs9.cfg");
    writeFile(path, QByteArray(64 << 20, '['));

    // A child process with less address space left than the file needs.
    EXPECT_TRUE(test_files::holdsInChild([&] {
        long pages = 0;
        if (FILE* statm = std::fopen("/proc/self/statm", "r")) {
            std::fscanf(statm, "%ld", &pages);
            std::fclose(statm);
        }
        test_files::limit(RLIMIT_AS,
                          static_cast<rlim_t>(pages) * static_cast<rlim_t>(::sysconf(_SC_PAGESIZE)) + (32 << 20));
        const FileContent result = readRegularFile(path, kLimit);
        return !result.bytes && result.error == "Não há memória suficiente para ler o arquivo.";
    })) << "no refusal for want of memory";
}
#endif

// Runs `write` over and over in a child process, another program writing the
// file, until this goes out of scope; the last write is finished.
volatile std::sig_atomic_t g_stopWriting = 0;

class Writer {
public:
    explicit Writer(const std::function<void()>& write)
        : child_(::fork())
    {
        if (child_ == 0) {
            std::signal(SIGTERM, [](int) { g_stopWriting = 1; });
            while (!g_stopWriting)
                write();
            ::_exit(0);
        }
    }
    ~Writer()
    {
        ::kill(child_, SIGTERM);
        ::waitpid(child_, nullptr, 0);
    }

private:
    pid_t child_;
};

void writeAt(const QString& path, int flags, std::string_view bytes)
{
    const int fd = ::open(nameOf(path).constData(), O_WRONLY | flags);
    ::pwrite(fd, bytes.data(), bytes.size(), 0);
    ::close(fd);
}

TEST(SafeReadOnLinux, NeverTakesAnotherProgramsSaveHalfWay)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("fs9.cfg");
    const std::string first = std::string(1 << 20, 'a') + "\r\n";
    const std::string line = "[grup]\r\n";  // eight bytes: no appended line straddles a page
    const struct {
        const char* name;
        std::function<void()> write;
        std::function<bool(std::string_view)> whole;
    } cases[] = {
        {"written in two pieces",
         [&] {
             writeAt(path, O_TRUNC, std::string_view(first).substr(0, first.size() / 2));
             ::usleep(20'000);
             const int fd = ::open(nameOf(path).constData(), O_WRONLY | O_APPEND);
             ::write(fd, first.data() + first.size() / 2, first.size() - first.size() / 2);
             ::close(fd);
             ::usleep(50'000);
         },
         [&](std::string_view read) { return read == first; }},
        {"cut short and written again",
         [&] {
             writeAt(path, O_TRUNC, first);
             ::usleep(10'000);
         },
         [&](std::string_view read) { return read == first; }},
        {"growing a line at a time",
         [&] {
             const int fd = ::open(nameOf(path).constData(), O_WRONLY | O_APPEND);
             ::write(fd, line.data(), line.size());
             ::close(fd);
         },
         [&](std::string_view read) { return (read.size() - first.size()) % line.size() == 0; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(path, QByteArray::fromStdString(first));
        const auto check = [&](const FileContent& read) {
            if (!read.bytes) {
                EXPECT_TRUE(read.error == changedWhileReadReason() || read.error == heldOpenReason())
                    << read.error.toStdString();
                return;
            }
            const std::string_view content(read.bytes->data.get(), read.bytes->size);
            EXPECT_TRUE(c.whole(content)) << content.size() << " bytes";
            EXPECT_EQ(static_cast<std::int64_t>(content.size()), read.record.stamp.size);
        };
        {
            const Writer writer(c.write);
            for (const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(1000);
                 std::chrono::steady_clock::now() < until;)
                check(readRegularFile(path, kLimit));
        }
        // Once the other program is done, the file reads whole.
        const FileContent settled = readRegularFile(path, kLimit);
        ASSERT_TRUE(settled.bytes) << settled.error.toStdString();
        check(settled);
    }
}

// Where no lease tells of another program's writing (a file of another user,
// a network share), a file written over between two pieces of one read, at
// the same size and with its time put back, is read again whole.
TEST(SafeReadOnLinux, AFileWrittenOverWhileReadIsReadAgainWhole)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "gives up root for a while: needs root";
    QTemporaryDir folder;
    ASSERT_EQ(::chmod(nameOf(folder.path()).constData(), 0777), 0);
    static QString path;
    path = folder.filePath("fs9.cfg");
    writeFile(path, QByteArray(1 << 20, 'a'));
    static const timespec old[] = {{0, UTIME_OMIT}, {::time(nullptr) - 3600, 0}};
    ASSERT_EQ(::utimensat(AT_FDCWD, nameOf(path).constData(), old, 0), 0);
    EXPECT_TRUE(test_files::holdsInChild([] {
        // Another user reads, who gets no lease; root writes the file over once, between two pieces.
        systemCalls().read = [](Handle file, char* bytes, std::size_t size, std::int64_t offset) {
            const std::int64_t got = ::pread(static_cast<int>(file), bytes, size, static_cast<off_t>(offset));
            static bool writtenOver = false;
            if (offset > 0 && !std::exchange(writtenOver, true) && ::seteuid(0) == 0) {
                writeAt(path, 0, std::string(1 << 20, 'b'));
                ::utimensat(AT_FDCWD, nameOf(path).constData(), old, 0);
                ::seteuid(65534);
            }
            return got;
        };
        if (::setresuid(65534, 65534, 0) != 0)
            return false;
        const FileContent read = readRegularFile(path, kLimit);
        return read.bytes && std::string_view(read.bytes->data.get(), read.bytes->size) == std::string(1 << 20, 'b');
    }));
}

}  // namespace
}  // namespace files
