// The file layer's promises that only Windows can show: the read-only
// attribute, device names, a file another program holds, what ReplaceFileW
// keeps, names outside the ANSI code page in paths longer than MAX_PATH.
#include "files/file_reading.h"
#include "files/file_reasons.h"
#include "files/file_record.h"

#include "files_support.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace files {
namespace {

using test_files::contentOf;
using test_files::entriesOf;
using test_files::wideName;
using test_files::writeFile;
using testing::kLimit;
using testing::saveText;

TEST(SafeSaveOnWindows, RefusesReadOnlyFilesDeviceNamesAndFilesHeldByAnotherProgram)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo");
    ASSERT_TRUE(SetFileAttributesW(wideName(target).c_str(), FILE_ATTRIBUTE_READONLY));
    EXPECT_EQ(saveText(target, "[g]\r\n").error, "O arquivo é somente leitura.");
    ASSERT_TRUE(SetFileAttributesW(wideName(target).c_str(), FILE_ATTRIBUTE_NORMAL));

    // Held by a program that lets others read it, not write it.
    const HANDLE held = CreateFileW(wideName(target).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_EQ(saveText(target, "[g]\r\n").error, systemReason(ERROR_SHARING_VIOLATION));
    CloseHandle(held);
    EXPECT_EQ(contentOf(target), "antigo");

    // A device's name, in any folder and with any extension, is no file to read or write.
    for (const char* device : {"NUL", "con", "COM1.cfg", "lpt9.txt"}) {
        const QString path = folder.filePath(device);
        EXPECT_EQ(readRegularFile(path, kLimit).error, "É um dispositivo, não um arquivo comum.") << device;
        EXPECT_EQ(saveText(path, "[g]\r\n").error, "É um dispositivo, não um arquivo comum.") << device;
    }
    EXPECT_EQ(entriesOf(folder.path()), QStringList{"fs9.cfg"});
}

TEST(SafeSaveOnWindows, WorksInPathsLongerThanMaxPathOfNamesNoAnsiCodePageHolds)
{
    QTemporaryDir folder;
    // A user folder like C:\Users\João, a name no ANSI code page holds, and a path of over 260 characters.
    const QString deep = folder.filePath("João/" + QString(120, u'p') + "/" + QString(120, u'q'));
    ASSERT_TRUE(QDir().mkpath(deep));
    const QString target = deep + "/fs9 ✈ São Paulo.cfg";
    ASSERT_GT(target.size(), 260);
    EXPECT_TRUE(saveText(target, "[g]\r\nx=1\r\n").saved);
    const SaveResult saved = saveText(target, "[g]\r\nx=2\r\n");
    ASSERT_TRUE(saved.saved) << saved.error.toStdString();
    const FileContent read = readRegularFile(target, kLimit);
    ASSERT_TRUE(read.bytes) << read.error.toStdString();
    EXPECT_EQ(read.bytes->view(), "[g]\r\nx=2\r\n");
    EXPECT_EQ(compareWithDisk(saved.record, target), OnDisk::AsRecorded);
    EXPECT_EQ(entriesOf(deep), QStringList{"fs9 ✈ São Paulo.cfg"});
}

TEST(SafeSaveOnWindows, KeepsTheAttributesOfTheFileItReplaces)
{
    if (test_files::underWine())
        GTEST_SKIP() << "Wine's ReplaceFileW does not keep a file's attributes";
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo");
    ASSERT_TRUE(SetFileAttributesW(wideName(target).c_str(), FILE_ATTRIBUTE_HIDDEN));
    EXPECT_TRUE(saveText(target, "[g]\r\n").saved);
    EXPECT_TRUE(GetFileAttributesW(wideName(target).c_str()) & FILE_ATTRIBUTE_HIDDEN);
    EXPECT_EQ(contentOf(target), "[g]\r\n");
}

}  // namespace
}  // namespace files
