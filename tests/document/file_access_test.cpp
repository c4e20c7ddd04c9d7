#include "document/file_access.h"
#include "document/reader.h"
#include "document/trash.h"
#include "document/writer.h"

#include "document_support.h"
#include "test_files.h"

#include <QFileInfo>
#include <QUrl>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <thread>

#include <fcntl.h>
#include <sys/socket.h>
#include <sys/un.h>

namespace modMain {
namespace {

using test_files::contentOf;
using test_files::entriesOf;
using test_files::nameOf;
using test_files::statOf;
using test_files::writeFile;
using testing::parsed;

// A document of many pieces' worth of lines, every byte value in its values.
Document largeDocument()
{
    std::string text;
    for (int i = 0; text.size() < 300 * 1024; ++i) {
        text += "[grupo " + std::to_string(i) + "]\r\n";
        for (int b = 0; b < 256; ++b) {
            if (b != '\r' && b != '\n')
                text += "p" + std::to_string(b) + "=" + std::string(3, static_cast<char>(b)) + "\r\n";
        }
    }
    return parsed(text);
}

void makeSocket(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, nameOf(path).constData(), sizeof(address.sun_path) - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

mode_t modeOf(const QString& path)
{
    return statOf(path).st_mode & 07777;
}

TEST(SafeSave, ReplacesTheFileInOneStepAndRoundTripsLargeContent)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    const QString otherName = folder.filePath("outro-nome.cfg");
    writeFile(target, "antigo\r\n");
    ASSERT_EQ(::link(nameOf(target).constData(), nameOf(otherName).constData()), 0);

    const Document document = largeDocument();
    const SaveResult result = saveDocument(document, target);
    ASSERT_TRUE(result.saved) << result.error.toStdString();
    // A new file took the name: the old one, still reachable by its other name, is untouched.
    EXPECT_EQ(contentOf(otherName), "antigo\r\n");
    const std::string written = contentOf(target).toStdString();
    EXPECT_EQ(written, documentBytes(document));
    EXPECT_EQ(documentBytes(parsed(written)), written);
    EXPECT_EQ(result.stamp, fileStamp(target));

    // A symbolic link stays a link; its target gets the content.
    const QString link = folder.filePath("link.cfg");
    ASSERT_TRUE(QFile::link("fs9.cfg", link));
    EXPECT_TRUE(saveDocument(Document(), link).saved);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contentOf(target), "");

    // A new file gets what the umask leaves of read and write for all.
    const mode_t mask = ::umask(027);
    const QString created = folder.filePath("novo.cfg");
    EXPECT_TRUE(saveDocument(parsed("[g]\nx=1"), created).saved);
    ::umask(mask);
    EXPECT_EQ(contentOf(created), "[g]\r\nx=1\r\n");
    EXPECT_EQ(modeOf(created), mode_t(0640));
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", "link.cfg", "novo.cfg", "outro-nome.cfg"}));
}

TEST(SafeSave, KeepsOwnerGroupAndEveryModeBitAndRefusesFilesNobodyMayWrite)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    const bool root = ::geteuid() == 0;
    const struct {
        mode_t mode;
        bool saves;
    } cases[] = {
        {0644, true},  {0640, true},  {0200, true},  {0464, true},  {0446, true},  {04755, true},
        {02710, true}, {01666, true}, {07777, true}, {0444, false}, {0555, false}, {0, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(::testing::Message() << "mode " << std::oct << c.mode);
        writeFile(target, "antigo");
        if (root) {  // before the mode: a change of owner clears set-user-ID and set-group-ID
            ASSERT_EQ(::chown(nameOf(target).constData(), 1000, 1001), 0);
        }
        ASSERT_EQ(::chmod(nameOf(target).constData(), c.mode), 0);
        const SaveResult result = saveDocument(parsed("[g]\r\n"), target);
        EXPECT_EQ(result.saved, c.saves) << result.error.toStdString();
        if (!c.saves) {
            EXPECT_EQ(result.error.toStdString(), "O arquivo é somente leitura.");
        }
        EXPECT_EQ(contentOf(target), c.saves ? "[g]\r\n" : "antigo");
        const struct stat after = statOf(target);
        EXPECT_EQ(after.st_mode & 07777, c.mode);
        if (root) {
            EXPECT_EQ(std::pair(after.st_uid, after.st_gid), std::pair(uid_t(1000), gid_t(1001)));
        }
        ASSERT_EQ(::chmod(nameOf(target).constData(), 0644), 0);
        ASSERT_TRUE(QFile::remove(target));
    }
    EXPECT_TRUE(entriesOf(folder.path()).isEmpty());
}

TEST(SafeSave, AWriteFailingHalfWayLeavesTheTargetAsItWas)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    const QByteArray original = "[original]\r\nx=1\r\n";
    writeFile(target, original);
    const Document document = largeDocument();

    // A child process that may not write files larger than 100 KB: the save
    // fails inside the temporary file, after its first pieces are written.
    EXPECT_TRUE(test_files::holdsInChild([&] {
        test_files::limit(RLIMIT_FSIZE, 100 * 1024);
        ::signal(SIGXFSZ, SIG_IGN);
        const SaveResult result = saveDocument(document, target);
        return !result.saved && result.error == systemReason(EFBIG);
    })) << "the save did not fail with the system's reason";
    EXPECT_EQ(contentOf(target), original);
    EXPECT_EQ(entriesOf(folder.path()), QStringList{"fs9.cfg"});
}

TEST(SafeSave, RefusesWhatIsNoFileToReplaceAndSaysWhy)
{
    QTemporaryDir folder;
    const QString loop = folder.filePath("laco.cfg");
    ASSERT_TRUE(QFile::link("laco2.cfg", loop));
    ASSERT_TRUE(QFile::link("laco.cfg", folder.filePath("laco2.cfg")));
    const QString fifo = folder.filePath("fifo.cfg");
    ASSERT_EQ(::mkfifo(nameOf(fifo).constData(), 0644), 0);
    const QString socket = folder.filePath("s.cfg");
    makeSocket(socket);
    ASSERT_TRUE(QDir(folder.path()).mkdir("pasta.cfg"));

    const struct {
        QString target;
        QString reason;
    } cases[] = {
        {loop, systemReason(ELOOP)},
        {fifo, "É um pipe (FIFO), não um arquivo comum."},
        {socket, "É um socket, não um arquivo comum."},
        {folder.filePath(QString(256, u'n')), systemReason(ENAMETOOLONG)},
        {folder.filePath("nao-existe/fs9.cfg"), systemReason(ENOENT)},
        {folder.filePath("pasta.cfg"), systemReason(EISDIR)},
        {"/dev/full", systemReason(ENOSPC)},  // a device is written in place
    };
    for (const auto& c : cases) {
        const SaveResult result = saveDocument(parsed("[g]\r\n"), c.target);
        EXPECT_FALSE(result.saved) << c.target.toStdString();
        EXPECT_EQ(result.error, c.reason) << c.target.toStdString();
    }
    EXPECT_TRUE(QFileInfo(loop).isSymLink());
    EXPECT_TRUE(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile());
    EXPECT_TRUE(QDir(folder.filePath("pasta.cfg")).isEmpty());
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fifo.cfg", "laco.cfg", "laco2.cfg", "pasta.cfg", "s.cfg"}));

    // A name at the system's limit leaves no room for a longer temporary name, and needs none.
    const QString longest = folder.filePath(QString(251, u'n') + ".cfg");
    EXPECT_TRUE(saveDocument(parsed("[g]\r\n"), longest).saved);
    EXPECT_EQ(contentOf(longest), "[g]\r\n");
}

TEST(SafeRead, RefusesWhatIsNoRegularFileOrIsTooLargeBeforeReadingIt)
{
    QTemporaryDir folder;
    const QString fifo = folder.filePath("fifo.cfg");
    ASSERT_EQ(::mkfifo(nameOf(fifo).constData(), 0644), 0);
    const QString socket = folder.filePath("s.cfg");
    makeSocket(socket);
    // 100 GiB that take no room: refused from its size alone.
    const QString huge = folder.filePath("enorme.cfg");
    writeFile(huge, "");
    ASSERT_EQ(::truncate(nameOf(huge).constData(), off_t(100) << 30), 0);

    const struct {
        QString path;
        QString reason;
    } cases[] = {
        {fifo, "É um pipe (FIFO), não um arquivo comum."},
        {socket, "É um socket, não um arquivo comum."},
        {"/dev/zero", "É um dispositivo, não um arquivo comum."},
        {folder.path(), systemReason(EISDIR)},
        {folder.filePath("nao-existe.cfg"), systemReason(ENOENT)},
        {huge, "O arquivo tem mais de 268435456 bytes."},
        // A /proc file reports a size of zero; its lines are read all the same.
        {"/proc/self/status", "Linha 1: a linha não é um grupo nem tem \"=\"."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readDocument(c.path).error, c.reason) << c.path.toStdString();
    // A file that says nothing of its size is read only as far as the limit.
    EXPECT_EQ(readRegularFile("/proc/self/status", 10).error, "O arquivo tem mais de 10 bytes.");
}

#ifndef __SANITIZE_ADDRESS__  // AddressSanitizer needs more address space than any such limit leaves
TEST(SafeRead, RunningOutOfMemoryIsARefusal)
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
        const ReadResult result = readDocument(path);
        return !result.document && result.error == "Não há memória suficiente para ler o arquivo.";
    })) << "no refusal for want of memory";
}
#endif

TEST(SafeRead, NeverAcceptsAFileCutShortWhileAnotherProgramWritesIt)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("fs9.cfg");
    // Eight bytes, so that no appended line straddles a page (the system's unit of a write).
    const std::string line = "[grup]\r\n";
    for (const bool growing : {true, false}) {
        SCOPED_TRACE(growing ? "growing" : "shrinking");
        std::string start;
        for (int i = 0; i < (growing ? 1 : 200000); ++i)
            start += line;
        writeFile(path, QByteArray::fromStdString(start));

        std::atomic<bool> stop = false;
        std::thread writer([&] {
            const int fd = ::open(nameOf(path).constData(), O_WRONLY | O_APPEND);
            off_t size = static_cast<off_t>(start.size());
            while (!stop && size > 0) {
                if (growing) {
                    size += ::write(fd, line.data(), line.size());
                } else {
                    size -= static_cast<off_t>(line.size());
                    ::ftruncate(fd, size);
                }
            }
            ::close(fd);
        });
        for (int attempt = 0; attempt < 100; ++attempt) {
            const FileContent read = readRegularFile(path, Document::kMaxFileSize);
            if (!read.bytes) {
                EXPECT_TRUE(read.error.startsWith("O arquivo mudou enquanto era lido.")) << read.error.toStdString();
                continue;
            }
            // Whatever was accepted is the whole file as it stood, in whole lines.
            EXPECT_EQ(static_cast<std::int64_t>(read.bytes->size), read.stamp.size);
            EXPECT_EQ(read.bytes->size % line.size(), 0u);
        }
        stop = true;
        writer.join();
    }
}

TEST(Trash, MovesFilesIntoTheDesktopsTrashUnderNamesOfTheirOwn)
{
    QTemporaryDir folder;
    const QByteArray dataHome = QFile::encodeName(folder.filePath("dados"));
    ::setenv("XDG_DATA_HOME", dataHome.constData(), 1);
    const QString file = folder.filePath("com espaço.cfg");
    for (const QByteArray content : {"primeiro", "segundo"}) {
        writeFile(file, content);
        EXPECT_TRUE(moveToTrash(file));
        EXPECT_FALSE(QFile::exists(file));
    }
    EXPECT_FALSE(moveToTrash(file));  // nothing there any more
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(contentOf(folder.filePath("dados/Trash/files/com espaço.cfg")), "primeiro");
    EXPECT_EQ(contentOf(folder.filePath("dados/Trash/files/com espaço.cfg (2)")), "segundo");
    EXPECT_TRUE(contentOf(folder.filePath("dados/Trash/info/com espaço.cfg (2).trashinfo"))
                    .startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(file, "/") + "\nDeletionDate="));
    EXPECT_EQ(entriesOf(folder.filePath("dados/Trash/info")).size(), 2);
}

}  // namespace
}  // namespace modMain
