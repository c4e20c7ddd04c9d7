// Saving a file on Linux: symbolic links, owners, modes, ACLs and extended
// attributes, pipes, sockets and devices.
#include "files/file_reading.h"
#include "files/file_reasons.h"
#include "files/file_record.h"
#include "files/file_saving.h"
#include "files/leftovers.h"

#include "files_support.h"
#include "socket_file.h"
#include "test_files.h"

#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>
#include <tuple>

#include <fcntl.h>
#include <grp.h>
#include <sys/wait.h>
#include <sys/xattr.h>

namespace files {
namespace {

using test_files::contentOf;
using test_files::entriesOf;
using test_files::nameOf;
using test_files::statOf;
using test_files::writeFile;
using testing::kLimit;
using testing::saveText;

TEST(SafeSaveOnLinux, PutsANewFileInPlaceFollowsLinksAndGivesANewFileWhatTheUmaskLeaves)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo\r\n");
    const int old = ::open(nameOf(target).constData(), O_RDONLY);
    EXPECT_TRUE(saveText(target, "[g]\r\n").saved);
    // A new file took the name: the old one, still open, is untouched.
    char kept[16] = {};
    EXPECT_EQ(::pread(old, kept, sizeof kept, 0), 8);
    EXPECT_STREQ(kept, "antigo\r\n");
    ::close(old);

    // A symbolic link stays a link; its target gets the content.
    const QString link = folder.filePath("link.cfg");
    ASSERT_TRUE(QFile::link("fs9.cfg", link));
    EXPECT_TRUE(saveText(link, "").saved);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contentOf(target), "");
    FileRecord record = readRegularFile(target, kLimit).record;
    EXPECT_EQ(compareWithDisk(record, link), OnDisk::AsRecorded);  // whatever name leads to it
    writeFile(target, "[dois]\r\n");
    EXPECT_EQ(compareWithDisk(record, link), OnDisk::Changed);

    // A new file gets what the umask leaves of read and write for all.
    const mode_t mask = ::umask(027);
    const QString created = folder.filePath("novo.cfg");
    EXPECT_TRUE(saveText(created, "[g]\r\nx=1\r\n").saved);
    ::umask(mask);
    EXPECT_EQ(statOf(created).st_mode & 07777, mode_t(0640));
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", "link.cfg", "novo.cfg"}));
}

TEST(SafeSaveOnLinux, RefusesLinkLoopsPipesSocketsAndDevices)
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
        {"/dev/full", "É um dispositivo, não um arquivo comum."},  // the bytes would be gone
    };
    for (const auto& c : cases) {
        const SaveResult result = saveText(c.target, "[g]\r\n");
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
            const SaveResult result = saveText(target, "[g]\r\n");
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
    EXPECT_TRUE(saveText(target, "[g]\r\n").saved);
    EXPECT_EQ(contentOf(otherName), "[g]\r\n");
    EXPECT_EQ(statOf(target).st_nlink, 2u);
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", "outro-nome.cfg"}));
}

// The pieces written into the file itself before the program is killed.
int g_piecesBeforeKill = 0;

TEST(SafeSaveOnLinux, ASaveKilledWhileWritingInPlaceLeavesTheOldContentToPutBack)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    const QString otherName = folder.filePath("outro-nome.cfg");  // a second name: written in place
    const std::string old = "[antigo]\r\n" + std::string(300 * 1024, 'a') + "\r\n";
    const std::string next = "[novo]\r\n" + std::string(300 * 1024, 'b') + "\r\n";
    for (const int pieces : {1, 3}) {
        SCOPED_TRACE(pieces);
        writeFile(target, QByteArray::fromStdString(old));
        QFile::remove(otherName);
        ASSERT_TRUE(test_files::hardLink(target, otherName));
        // A save killed (SIGKILL: nothing cleans up) once it has written some pieces over the file.
        g_piecesBeforeKill = pieces;
        const pid_t child = ::fork();
        if (child == 0) {
            static SystemCalls system;
            system = systemCalls();
            systemCalls().write = [](Handle file, const char* bytes, std::size_t size, std::int64_t offset) {
                FileState state;
                if (stateOf(file, state) && state.links == 2 && g_piecesBeforeKill-- == 0)
                    ::kill(::getpid(), SIGKILL);
                return system.write(file, bytes, size, offset);
            };
            saveText(target, next);
            ::_exit(0);
        }
        int status = 0;
        ASSERT_EQ(::waitpid(child, &status, 0), child);
        ASSERT_TRUE(WIFSIGNALED(status));
        EXPECT_TRUE(contentOf(target).toStdString() != old);  // torn; megabytes: not printed
        const std::optional<QString> copy = unfinishedSaveOf(target);
        ASSERT_TRUE(copy);
        EXPECT_TRUE(contentOf(*copy).toStdString() == old);
        const SaveResult restored = restoreUnfinishedSave(target);
        ASSERT_TRUE(restored.saved) << restored.error.toStdString();
        EXPECT_TRUE(contentOf(target).toStdString() == old);
        EXPECT_TRUE(contentOf(otherName).toStdString() == old);
        EXPECT_FALSE(unfinishedSaveOf(target));
        EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", "outro-nome.cfg"}));
    }
}

TEST(SafeSaveOnLinux, NoCopyOfOldContentOutlivesTheSavesThatCompleted)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo");
    ASSERT_TRUE(test_files::hardLink(target, folder.filePath("outro-nome.cfg")));
    // A copy that a save cut short left, and many saves in place after it.
    TemporaryFile left(target, TemporaryFile::Holds::OldContent, TemporaryFile::Access::OwnerOnly);
    left.keep();
    for (int save = 0; save < 20; ++save)
        ASSERT_TRUE(saveText(target, "[g]\r\nx=" + std::to_string(save) + "\r\n").saved);
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", "outro-nome.cfg"}));
}

}  // namespace
}  // namespace files
