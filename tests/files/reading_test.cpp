// Reading a file, on every system: only regular files, within a limit, and
// never another program's save half-way. What only Linux shows is in
// reading_linux_test.cpp.
#include "files/file_reading.h"
#include "files/file_reasons.h"

#include "files_support.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace files {
namespace {

using test_files::writeFile;
using testing::kLimit;

TEST(SafeRead, RefusesWhatIsNoRegularFileOrIsTooLargeBeforeReadingIt)
{
    QTemporaryDir folder;
    // 100 GiB that take no room: refused from its size alone.
    const QString huge = folder.filePath("enorme.cfg");
    writeFile(huge, "");
    ASSERT_TRUE(QFile::resize(huge, qint64(100) << 30));
    const struct {
        QString path;
        QString reason;
    } cases[] = {
        {folder.path(), systemReason(isDirectoryError())},
        {folder.filePath("nao-existe.cfg"), systemReason(notFoundError())},
        {huge, "O arquivo tem mais de 268435456 bytes."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readRegularFile(c.path, kLimit).error, c.reason) << c.path.toStdString();
}

TEST(SafeRead, WaitsForAnotherProgramToCloseTheFileItWrites)
{
    QTemporaryDir folder;
    const QString path = folder.filePath("fs9.cfg");
    for (const int heldMs : {400, 3000}) {
        SCOPED_TRACE(heldMs);
        writeFile(path, "[antigo]\r\n");
        const test_files::WriterHolding writer(path, "[novo]", heldMs, "\r\n");
        int waits = 0;
        const FileContent read = readRegularFile(path, kLimit, [&] { ++waits; });
        EXPECT_GT(waits, 0);  // the window went on answering meanwhile
        if (heldMs < 2000) {
            ASSERT_TRUE(read.bytes) << read.error.toStdString();
            EXPECT_EQ(std::string_view(read.bytes->data.get(), read.bytes->size), "[novo]\r\n");
        } else {
            EXPECT_EQ(read.error, changedWhileReadReason());
        }
    }
}

}  // namespace
}  // namespace files
