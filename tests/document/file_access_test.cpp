#include "document/file_access.h"
#include "document/reader.h"
#include "document/system_calls.h"
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
    writeFile(target, "antigo\r\n");
    const int old = ::open(nameOf(target).constData(), O_RDONLY);

    const Document document = largeDocument();
    const SaveResult result = saveDocument(document, target);
    ASSERT_TRUE(result.saved) << result.error.toStdString();
    // A new file took the name: the old one, still open, is untouched.
    char kept[16] = {};
    EXPECT_EQ(::pread(old, kept, sizeof kept, 0), 8);
    EXPECT_STREQ(kept, "antigo\r\n");
    ::close(old);
    const std::string written = contentOf(target).toStdString();
    EXPECT_EQ(written, documentBytes(document));
    EXPECT_EQ(documentBytes(parsed(written)), written);
    EXPECT_EQ(compareWithDisk(result.record, target), OnDisk::AsRecorded);

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
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", "link.cfg", "novo.cfg"}));
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

TEST(SafeSave, KeepsOwnerGroupModeAclsAndAttributesAndRefusesWhatTheUserMayNotWrite)
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

// A system call that fails with EIO, whatever its arguments.
template <typename Result, typename... Arguments>
Result failing(Arguments...)
{
    errno = EIO;
    return Result(-1);
}

template <typename Result, typename... Arguments>
void fail(Result (*&call)(Arguments...))
{
    call = failing<Result, Arguments...>;
}

// Creating a new file (a save's temporary file) fails; every other open is the system's.
int failingCreation(const char* path, int flags, mode_t mode)
{
    return (flags & O_EXCL) ? failing<int>() : ::open(path, flags, mode);
}

// The same, the first time only.
template <auto Call, typename... Arguments>
int failingOnce(Arguments... arguments)
{
    static int calls = 0;
    return calls++ == 0 ? failing<int>() : Call(arguments...);
}

TEST(SafeSave, EveryFailingStepLeavesTheFileAsItWasAndSaysWhy)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    const QString linked = folder.filePath("ligado.cfg");  // with a second name: written in place
    const SystemCalls system = systemCalls();
    const struct {
        const char* name;
        std::function<void(SystemCalls&)> fail;
        bool hardLinked;
        bool saves;      // by another way
        bool keepsCopy;  // the old content stays beside the file
    } cases[] = {
        {"making the temporary file", [](SystemCalls& c) { c.open = failingCreation; }, false, false, false},
        {"writing", [](SystemCalls& c) { fail(c.write); }, false, false, false},
        {"flushing", [](SystemCalls& c) { fail(c.fsync); }, false, false, false},
        {"closing", [](SystemCalls& c) { c.close = [](int fd) { return ::close(fd) + failing<int>(); }; }, false, false,
         false},
        {"renaming", [](SystemCalls& c) { fail(c.rename); }, false, false, false},
        {"giving the file its owner", [](SystemCalls& c) { fail(c.fchown); }, false, true, false},
        {"giving the file its mode", [](SystemCalls& c) { fail(c.fchmod); }, false, true, false},
        {"copying an attribute", [](SystemCalls& c) { fail(c.fsetxattr); }, false, true, false},
        {"listing the attributes to copy", [](SystemCalls& c) { fail(c.flistxattr); }, false, true, false},
        {"opening the file to copy its attributes", [](SystemCalls& c) { fail(c.open); }, false, false, false},
        {"keeping the old content of a file written in place", [](SystemCalls& c) { c.open = failingCreation; }, true,
         false, false},
        {"reading the old content of a file written in place", [](SystemCalls& c) { fail(c.pread); }, true, false,
         false},
        {"writing in place", [](SystemCalls& c) { c.ftruncate = failingOnce<&::ftruncate>; }, true, false, false},
        {"writing in place, and putting the old content back", [](SystemCalls& c) { fail(c.ftruncate); }, true, false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& name : entriesOf(folder.path()))
            QFile::remove(folder.filePath(name));
        writeFile(target, "antigo");
        ASSERT_EQ(::setxattr(nameOf(target).constData(), "user.note", "nota", 4, 0), 0);
        if (c.hardLinked) {
            ASSERT_EQ(::link(nameOf(target).constData(), nameOf(linked).constData()), 0);
        }
        c.fail(systemCalls());
        const SaveResult result = saveDocument(parsed("[g]\r\n"), target);
        systemCalls() = system;
        EXPECT_EQ(result.saved, c.saves) << result.error.toStdString();
        if (!c.saves) {
            EXPECT_EQ(result.error, systemReason(EIO));
        }
        EXPECT_EQ(contentOf(target), c.saves ? "[g]\r\n" : "antigo");
        QStringList expected = {"fs9.cfg"};
        if (c.hardLinked)
            expected.append("ligado.cfg");
        QStringList entries = entriesOf(folder.path());
        if (c.keepsCopy) {
            ASSERT_TRUE(!entries.isEmpty() && entries.first().startsWith(".planora-"));
            EXPECT_EQ(contentOf(folder.filePath(entries.takeFirst())), "antigo");
        }
        EXPECT_EQ(entries, expected);
    }
    // A read that fails says why, opening the file or reading it.
    for (const auto breakCall : {+[](SystemCalls& c) { fail(c.open); }, +[](SystemCalls& c) { fail(c.pread); }}) {
        breakCall(systemCalls());
        EXPECT_EQ(readRegularFile(target, Document::kMaxFileSize).error, systemReason(EIO));
        systemCalls() = system;
    }
}

TEST(SafeSave, RemovesTheTemporaryFilesOfEarlierSavesOfTheFileCutShort)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo");
    // The name a save of this file gives its temporary file.
    static QByteArray pattern;
    const SystemCalls system = systemCalls();
    systemCalls().open = [](const char* name, int flags, mode_t mode) {
        if (flags & O_EXCL)
            pattern = name;
        return ::open(name, flags, mode);
    };
    saveDocument(parsed("[g]\r\n"), target);
    systemCalls() = system;
    const QString prefix = QFile::decodeName(pattern.mid(pattern.lastIndexOf('/') + 1).chopped(6));
    const struct {
        QString name;
        int ageMinutes;
        bool stays;
    } files[] = {
        {prefix + "AAAAAA", 11, false},
        {prefix + "BBBBBB", 9, true},            // a save that may still be going on
        {".planora-00000000-CCCCCC", 60, true},  // another file's
        {prefix + "copia-DDDDDD", 60, true},     // the old content of a file written in place
    };
    for (const auto& f : files) {
        writeFile(folder.filePath(f.name), "x");
        const timespec times[] = {{0, UTIME_OMIT}, {::time(nullptr) - f.ageMinutes * 60, 0}};
        ASSERT_EQ(::utimensat(AT_FDCWD, nameOf(folder.filePath(f.name)).constData(), times, 0), 0);
    }
    EXPECT_TRUE(saveDocument(parsed("[g]\r\n"), target).saved);
    for (const auto& f : files)
        EXPECT_EQ(QFile::exists(folder.filePath(f.name)), f.stays) << f.name.toStdString();
}

TEST(SafeSave, NoticesEveryChangeAnotherProgramMakesToTheRecordedFile)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("fs9.cfg");
    const auto record = [&] {
        writeFile(file, "[um]\r\nx=1\r\n");
        return readRegularFile(file, Document::kMaxFileSize).record;
    };
    const auto sameTimeAgain = [&](const FileRecord& r) {
        const timespec times[] = {{0, UTIME_OMIT},
                                  {r.stamp.modifiedNs / 1'000'000'000, r.stamp.modifiedNs % 1'000'000'000}};
        ASSERT_EQ(::utimensat(AT_FDCWD, nameOf(file).constData(), times, 0), 0);
    };
    const struct {
        const char* name;
        std::function<QString(FileRecord&)> change;  // the path then saved to
        OnDisk onDisk;
    } cases[] = {
        {"nothing", [&](FileRecord&) { return file; }, OnDisk::AsRecorded},
        {"its mode bits",
         [&](FileRecord&) {
             ::chmod(nameOf(file).constData(), 0600);
             return file;
         },
         OnDisk::AsRecorded},
        {"gone",
         [&](FileRecord&) {
             QFile::remove(file);
             return file;
         },
         OnDisk::AsRecorded},
        {"another file", [&](FileRecord&) { return folder.filePath("outro.cfg"); }, OnDisk::Elsewhere},
        {"rewritten at the same size, its time put back",
         [&](FileRecord& r) {
             writeFile(file, "[UM]\r\nx=1\r\n");
             sameTimeAgain(r);
             return file;
         },
         OnDisk::Changed},
        {"replaced by another file",
         [&](FileRecord&) {
             writeFile(folder.filePath("novo"), "[um]\r\nx=1\r\n");
             ::rename(nameOf(folder.filePath("novo")).constData(), nameOf(file).constData());
             return file;
         },
         OnDisk::Changed},
        {"reached through a link",
         [&](FileRecord&) {
             QFile::link(file, folder.filePath("link.cfg"));
             return folder.filePath("link.cfg");
         },
         OnDisk::AsRecorded},
        {"changed and reached through a link",
         [&](FileRecord&) {
             writeFile(file, "[dois]\r\n");
             return folder.filePath("link.cfg");
         },
         OnDisk::Changed},
        // Where the clock is too coarse to tell, the bytes still do.
        {"its bytes other than recorded, all else alike",
         [&](FileRecord& r) {
             r.stamp.contentHash ^= 1;
             return file;
         },
         OnDisk::Changed},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FileRecord recorded = record();
        const QString path = c.change(recorded);
        EXPECT_EQ(compareWithDisk(recorded, path), c.onDisk);
    }
    // What a save wrote is the new record.
    const SaveResult saved = saveDocument(parsed("[g]\r\n"), file);
    EXPECT_EQ(compareWithDisk(saved.record, file), OnDisk::AsRecorded);
    EXPECT_EQ(compareWithDisk(FileRecord(), file), OnDisk::Elsewhere);
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

TEST(SafeRead, NeverTakesAnotherProgramsSaveHalfWay)
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
TEST(SafeRead, AFileWrittenOverWhileReadIsReadAgainWhole)
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
        systemCalls().pread = [](int fd, void* bytes, size_t size, off_t offset) {
            const ssize_t got = ::pread(fd, bytes, size, offset);
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

TEST(SafeRead, WaitsForAnotherProgramToCloseTheFileItWrites)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("fs9.cfg");
    for (const int heldMs : {400, 3000}) {
        SCOPED_TRACE(heldMs);
        writeFile(path, "[antigo]\r\n");
        int ready[2];
        ASSERT_EQ(::pipe(ready), 0);
        const pid_t child = ::fork();
        if (child == 0) {
            const int fd = ::open(nameOf(path).constData(), O_WRONLY | O_TRUNC);
            ::write(ready[1], "x", 1);
            ::write(fd, "[novo]", 6);
            ::usleep(static_cast<useconds_t>(heldMs) * 1000);
            ::write(fd, "\r\n", 2);
            ::_exit(0);
        }
        char token;
        ASSERT_EQ(::read(ready[0], &token, 1), 1);
        int waits = 0;
        const FileContent read = readRegularFile(path, Document::kMaxFileSize, [&] { ++waits; });
        EXPECT_GT(waits, 0);  // the window went on answering meanwhile
        if (heldMs < 2000) {
            ASSERT_TRUE(read.bytes) << read.error.toStdString();
            EXPECT_EQ(std::string_view(read.bytes->data.get(), read.bytes->size), "[novo]\r\n");
        } else {
            EXPECT_EQ(read.error, changedWhileReadReason());
        }
        ::waitpid(child, nullptr, 0);
        ::close(ready[0]);
        ::close(ready[1]);
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
