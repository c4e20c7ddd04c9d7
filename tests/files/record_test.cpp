// The record of a file read or written, by which another program's change is never missed.
#include "files/file_reading.h"
#include "files/file_record.h"

#include "files_support.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

namespace files {
namespace {

using test_files::writeFile;
using testing::kLimit;
using testing::saveText;

TEST(FileRecord, NoticesEveryChangeAnotherProgramMakesToTheRecordedFile)
{
    QTemporaryDir folder;
    const QString file = folder.filePath("fs9.cfg");
    const auto record = [&] {
        writeFile(file, "[um]\r\nx=1\r\n");
        return readRegularFile(file, kLimit).record;
    };
    const struct {
        const char* name;
        std::function<QString(FileRecord&)> change;  // the path then saved to
        OnDisk onDisk;
    } cases[] = {
        {"nothing", [&](FileRecord&) { return file; }, OnDisk::AsRecorded},
        {"its permissions",
         [&](FileRecord&) {
             QFile::setPermissions(file, QFile::ReadOwner | QFile::WriteOwner | QFile::ReadGroup);
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
             test_files::setModifiedNs(file, r.stamp.modifiedNs);
             return file;
         },
         OnDisk::Changed},
        {"replaced by another file",
         [&](FileRecord&) {
             writeFile(folder.filePath("novo"), "[um]\r\nx=1\r\n");
             EXPECT_TRUE(QFile::remove(file) && QFile::rename(folder.filePath("novo"), file));
             return file;
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
    const SaveResult saved = saveText(file, "[g]\r\n");
    EXPECT_EQ(compareWithDisk(saved.record, file), OnDisk::AsRecorded);
    EXPECT_EQ(compareWithDisk(FileRecord(), file), OnDisk::Elsewhere);
}

TEST(FileRecord, SizeAndTimesAloneAreTrustedOnlyWhenAClockWouldHaveToldALaterWrite)
{
    const std::int64_t now = nowNs();
    constexpr std::int64_t kSecond = 1'000'000'000;
    FileState stamped;
    stamped.volume = 1;
    stamped.index = 2;
    stamped.size = 10;
    stamped.modifiedNs = now - 10 * kSecond;
    stamped.changedNs = stamped.modifiedNs;
    const FileStamp stamp = stampOf(stamped, 42);
    const struct {
        const char* name;
        std::function<void(FileState&)> change;
        bool stampedAsChanged;  // the stamp taken of the file as changed
        bool sure;
    } cases[] = {
        {"as stamped, written long ago", [](FileState&) {}, false, true},
        {"stamped as it is, but written within a coarse clock's tick",
         [&](FileState& s) { s.modifiedNs = s.changedNs = now - kSecond / 2; }, true, false},
        {"its time put back, the change time moved", [&](FileState& s) { s.changedNs = now; }, false, false},
        {"another file", [](FileState& s) { ++s.index; }, false, false},
        {"another size", [](FileState& s) { ++s.size; }, false, false},
        {"no regular file", [](FileState& s) { s.kind = Kind::Pipe; }, true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        FileState state = stamped;
        c.change(state);
        EXPECT_EQ(surelyAsStamped(state, c.stampedAsChanged ? stampOf(state, 42) : stamp), c.sure);
    }
}

}  // namespace
}  // namespace files
