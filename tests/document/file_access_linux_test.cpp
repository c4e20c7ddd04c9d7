// The file layer's promises that only Linux can show: symbolic links, owners,
// modes, ACLs and extended attributes, pipes, sockets and devices, leases,
// files of /proc, and the desktop's trash.
#include "document/file_reading.h"
#include "document/file_reasons.h"
#include "document/reader.h"
#include "document/system_files.h"
#include "document/trash.h"
#include "document/writer.h"

#include "document_support.h"
#include "test_files.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <tuple>
#include <utility>

#include <fcntl.h>
#include <grp.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/xattr.h>

namespace modMain {
namespace {

using files::systemCalls;
using test_files::contentOf;
using test_files::entriesOf;
using test_files::nameOf;
using test_files::statOf;
using test_files::writeFile;
using testing::parsed;

void makeSocket(const QString& path)
{
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::strncpy(address.sun_path, nameOf(path).constData(), sizeof(address.sun_path) - 1);
    const int fd = ::socket(AF_UNIX, SOCK_STREAM, 0);
    ASSERT_EQ(::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof(address)), 0);
    ::close(fd);
}

TEST(SafeSaveOnLinux, PutsANewFileInPlaceFollowsLinksAndGivesANewFileWhatTheUmaskLeaves)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo\r\n");
    const int old = ::open(nameOf(target).constData(), O_RDONLY);
    EXPECT_TRUE(saveDocument(parsed("[g]\r\n"), target).saved);
    // A new file took the name: the old one, still open, is untouched.
    char kept[16] = {};
    EXPECT_EQ(::pread(old, kept, sizeof kept, 0), 8);
    EXPECT_STREQ(kept, "antigo\r\n");
    ::close(old);

    // A symbolic link stays a link; its target gets the content.
    const QString link = folder.filePath("link.cfg");
    ASSERT_TRUE(QFile::link("fs9.cfg", link));
    EXPECT_TRUE(saveDocument(Document(), link).saved);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contentOf(target), "");
    FileRecord record = readRegularFile(target, Document::kMaxFileSize).record;
    EXPECT_EQ(compareWithDisk(record, link), OnDisk::AsRecorded);  // whatever name leads to it
    writeFile(target, "[dois]\r\n");
    EXPECT_EQ(compareWithDisk(record, link), OnDisk::Changed);

    // A new file gets what the umask leaves of read and write for all.
    const mode_t mask = ::umask(027);
    const QString created = folder.filePath("novo.cfg");
    EXPECT_TRUE(saveDocument(parsed("[g]\nx=1"), created).saved);
    ::umask(mask);
    EXPECT_EQ(statOf(created).st_mode & 07777, mode_t(0640));
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", "link.cfg", "novo.cfg"}));
}

TEST(SafeSaveOnLinux, RefusesLinkLoopsPipesAndSocketsAndWritesADeviceAsItIs)
{
    QTemporaryDir folder;
    const QString loop = folder.filePath("laco.cfg");
    ASSERT_TRUE(QFile::link("laco2.cfg", loop));
    ASSERT_TRUE(QFile::link("laco.cfg", folder.filePath("laco2.cfg")));
    const QString fifo = folder.filePath("fifo.cfg");
    ASSERT_EQ(::mkfifo(nameOf(fifo).constData(), 0644), 0);
    const QString socket = folder.filePath("s.cfg");
    makeSocket(socket);
    const struct {
        QString target;
        QString reason;
    } cases[] = {
        {loop, systemReason(ELOOP)},
        {fifo, "É um pipe (FIFO), não um arquivo comum."},
        {socket, "É um socket, não um arquivo comum."},
        {folder.filePath(QString(256, u'n')), systemReason(ENAMETOOLONG)},
        {"/dev/full", systemReason(ENOSPC)},  // a device is written in place
    };
    for (const auto& c : cases) {
        const SaveResult result = saveDocument(parsed("[g]\r\n"), c.target);
        EXPECT_FALSE(result.saved) << c.target.toStdString();
        EXPECT_EQ(result.error, c.reason) << c.target.toStdString();
    }
    EXPECT_TRUE(QFileInfo(loop).isSymLink());
    EXPECT_TRUE(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile());
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fifo.cfg", "laco.cfg", "laco2.cfg", "s.cfg"}));
}

// A POSIX ACL as the system stores it: a version, then (tag, permissions, id)
// entries in the order of their tags.
QByteArray aclOf(std::initializer_list<std::tuple<std::uint16_t, std::uint16_t, std::uint32_t>> entries)
{
    QByteArray acl;
    const auto put = [&](auto value) { acl.append(reinterpret_cast<const char*>(&value), sizeof value); };
    put(std::uint32_t{2});
    for (const auto& [tag, permissions, id] : entries) {
        put(tag);
        put(permissions);
        put(id);
    }
    return acl;
}

QByteArray attributeOf(const QString& path, const char* name)
{
    QByteArray value(256, '\0');
    const ssize_t size = ::getxattr(nameOf(path).constData(), name, value.data(), std::size_t(value.size()));
    return size < 0 ? QByteArray("<none>") : value.left(size);
}

// Gives up root for a user of no importance, in group 100 as well as its own.
bool becomeNobody()
{
    const gid_t groups[] = {100};
    return ::setgroups(1, groups) == 0 && ::setgid(65534) == 0 && ::setuid(65534) == 0;
}

TEST(SafeSaveOnLinux, KeepsOwnerGroupModeAclsAndAttributesAndRefusesWhatTheUserMayNotWrite)
{
    if (::geteuid() != 0)
        GTEST_SKIP() << "gives files away and gives up root: needs root";
    QTemporaryDir folder;
    ASSERT_EQ(::chmod(nameOf(folder.path()).constData(), 0777), 0);  // anyone may write the folder
    const QString target = folder.filePath("fs9.cfg");
    const QByteArray acl = aclOf(
        {{0x01, 6, 0}, {0x02, 6, 1001}, {0x04, 4, 0}, {0x08, 4, 2000}, {0x10, 6, 0}, {0x20, 4, 0}});
    const QString readOnly = QStringLiteral("O arquivo é somente leitura.");
    const struct {
        const char* name;
        uid_t owner;
        gid_t group;
        mode_t mode;
        bool asNobody = false;
        bool withAcl = false;
        QString error = {};  // empty: saved
    } cases[] = {
        // Every mode bit, set-user-ID and set-group-ID too, which a change of owner clears.
        {"0644", 1000, 1001, 0644},
        {"0640", 1000, 1001, 0640},
        {"0200", 1000, 1001, 0200},
        {"0464", 1000, 1001, 0464},
        {"0446", 1000, 1001, 0446},
        {"04755", 1000, 1001, 04755},
        {"02710", 1000, 1001, 02710},
        {"01666", 1000, 1001, 01666},
        {"07777", 1000, 1001, 07777},
        // Nobody may write these: refused, root too.
        {"0444", 1000, 1001, 0444, false, false, readOnly},
        {"0555", 1000, 1001, 0555, false, false, readOnly},
        {"0000", 1000, 1001, 0, false, false, readOnly},
        {"someone else's file, for a user who may write only the folder", 0, 0, 0644, true, false,
         systemReason(EACCES)},
        {"a file of a group the user is in", 0, 100, 0664, true},
        {"the user's own file", 65534, 100, 0640, true},
        {"the user's own file of a group the user is not in", 65534, 0, 0660, true},
        {"the user's own file that only its group may write", 65534, 100, 0464, true, false, systemReason(EACCES)},
        {"a file with an ACL, saved by root", 0, 0, 0664, false, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        writeFile(target, "antigo");
        ASSERT_EQ(::chown(nameOf(target).constData(), c.owner, c.group), 0);
        ASSERT_EQ(::chmod(nameOf(target).constData(), c.mode), 0);
        ASSERT_EQ(::setxattr(nameOf(target).constData(), "user.note", "nota", 4, 0), 0);
        if (c.withAcl) {
            ASSERT_EQ(::setxattr(nameOf(target).constData(), "system.posix_acl_access", acl.constData(),
                                 std::size_t(acl.size()), 0),
                      0);
        }
        const QByteArray aclBefore = attributeOf(target, "system.posix_acl_access");
        const struct stat before = statOf(target);
        const auto save = [&] {
            const SaveResult result = saveDocument(parsed("[g]\r\n"), target);
            return result.saved ? c.error.isEmpty() : result.error == c.error;
        };
        EXPECT_TRUE(c.asNobody ? test_files::holdsInChild([&] { return becomeNobody() && save(); }) : save());
        const struct stat after = statOf(target);
        EXPECT_EQ(contentOf(target), c.error.isEmpty() ? "[g]\r\n" : "antigo");
        EXPECT_EQ(std::tuple(after.st_uid, after.st_gid, after.st_mode), std::tuple(c.owner, c.group, before.st_mode));
        EXPECT_EQ(attributeOf(target, "user.note"), "nota");
        EXPECT_EQ(attributeOf(target, "system.posix_acl_access"), aclBefore);
        EXPECT_EQ(aclBefore.size(), c.withAcl ? acl.size() : 6);
        EXPECT_EQ(entriesOf(folder.path()), QStringList{"fs9.cfg"});
        ASSERT_EQ(::chmod(nameOf(target).constData(), 0644), 0);
        ASSERT_TRUE(QFile::remove(target));
    }

    // Other names of the file see the new content: the file itself is written.
    writeFile(target, "antigo");
    const QString otherName = folder.filePath("outro-nome.cfg");
    ASSERT_EQ(::link(nameOf(target).constData(), nameOf(otherName).constData()), 0);
    EXPECT_TRUE(saveDocument(parsed("[g]\r\n"), target).saved);
    EXPECT_EQ(contentOf(otherName), "[g]\r\n");
    EXPECT_EQ(statOf(target).st_nlink, 2u);
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", "outro-nome.cfg"}));
}

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
        // A /proc file reports a size of zero; its lines are read all the same.
        {"/proc/self/status", "Linha 1: a linha não é um grupo nem tem \"=\"."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readDocument(c.path).error, c.reason) << c.path.toStdString();
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
        const ReadResult result = readDocument(path);
        return !result.document && result.error == "Não há memória suficiente para ler o arquivo.";
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
                EXPECT_EQ(read.error, changedWhileReadReason());
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
                check(readRegularFile(path, Document::kMaxFileSize));
        }
        // Once the other program is done, the file reads whole.
        const FileContent settled = readRegularFile(path, Document::kMaxFileSize);
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
        systemCalls().read = [](files::Handle file, char* bytes, std::size_t size, std::int64_t offset) {
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
        const FileContent read = readRegularFile(path, Document::kMaxFileSize);
        return read.bytes && std::string_view(read.bytes->data.get(), read.bytes->size) == std::string(1 << 20, 'b');
    }));
}

TEST(TrashOnLinux, MovesFilesIntoTheDesktopsTrashUnderNamesOfTheirOwn)
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
