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

}  // namespace
}  // namespace files
