// Every command of the file layer that names a file, on long paths of
// accented folder names: past MAX_PATH on Windows, where each character is
// two bytes in the system's own encoding on Linux.
#include "files/file_reading.h"
#include "files/file_record.h"
#include "files/file_saving.h"
#include "files/leftovers.h"
#include "files/trash.h"

#include "files_support.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace files {
namespace {

using test_files::contentOf;
using test_files::entriesOf;
using test_files::writeFile;
using testing::kLimit;
using testing::saveText;

TEST(LongNames, EveryCommandThatNamesAFileTakesLongAccentedPaths)
{
    QTemporaryDir root;
    for (const int length : test_files::kLongPathLengths) {
        SCOPED_TRACE(length);
        const QString file = test_files::longAccentedPath(root.filePath(QString::number(length)), length);
        const QString folder = QFileInfo(file).absolutePath();
        ASSERT_EQ(file.size(), length);
        // Saved new, then over the old file; read; the record it leaves.
        ASSERT_TRUE(saveText(file, "[g]\r\nx=1\r\n").saved);
        const SaveResult saved = saveText(file, "[g]\r\nx=2\r\n");
        ASSERT_TRUE(saved.saved) << saved.error.toStdString();
        const FileContent read = readRegularFile(file, kLimit);
        ASSERT_TRUE(read.bytes) << read.error.toStdString();
        EXPECT_EQ(read.bytes->view(), "[g]\r\nx=2\r\n");
        EXPECT_EQ(compareWithDisk(saved.record, file), OnDisk::AsRecorded);
        // With a second name: written in place, its copy of the old content gone after.
        const QString otherName = folder + "/outro nome ç.cfg";
        ASSERT_TRUE(test_files::hardLink(file, otherName));
        EXPECT_TRUE(saveText(file, "[g]\r\nx=3\r\n").saved);
        EXPECT_EQ(contentOf(otherName), "[g]\r\nx=3\r\n");
        // What a save cut short left, found and put back.
        TemporaryFile copy(file, TemporaryFile::Holds::OldContent, TemporaryFile::Access::OwnerOnly);
        ASSERT_TRUE(copy.isOpen()) << systemReason(lastError()).toStdString();
        copy.keep();
        copy.close();
        writeFile(copy.name(), "[g]\r\nx=antigo\r\n");
        EXPECT_EQ(unfinishedSaveOf(file), copy.name());
        EXPECT_TRUE(restoreUnfinishedSave(file).saved);
        EXPECT_EQ(contentOf(file), "[g]\r\nx=antigo\r\n");
        EXPECT_EQ(entriesOf(folder), (QStringList{"fs9.cfg", "outro nome ç.cfg"}));
        // Into the trash, from where it can come back.
        EXPECT_EQ(moveToTrash(otherName), QString());
        EXPECT_EQ(entriesOf(folder), QStringList{"fs9.cfg"});
    }
}

}  // namespace
}  // namespace files
