// Reading a file, on every system: only regular files, within a limit, and
// never another program's save half-way. What only Linux shows is in
// reading_linux_test.cpp.
#include "files/file_reading.h"
#include "files/file_reasons.h"

#include "files_support.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

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
            EXPECT_EQ(read.error, heldOpenReason());
        }
    }
}

// The read the test makes another program's open during: the file, what the
// program writes, and whether the open was let.
QString g_written;
const QByteArray g_after = "[novo]\r\n" + QByteArray(512 * 1024 + 2, 'b') + "\r\n";
std::thread g_writer;
std::atomic<bool> g_writerGotIn = false;

TEST(SafeRead, AnotherProgramOpeningTheFileForWritingMeanwhileIsNeverRefused)
{
    QTemporaryDir folder;
    g_written = folder.filePath("fs9.cfg");
    const QByteArray before = "[antigo]\r\n" + QByteArray(512 * 1024, 'a') + "\r\n";
    writeFile(g_written, before);
    g_writerGotIn = false;
    static SystemCalls system;
    system = systemCalls();
    // The simulator saves the file as it exits, while the read is half-way.
    systemCalls().read = [](Handle file, char* bytes, std::size_t size, std::int64_t offset) {
        if (offset > 0 && !g_writer.joinable())
            g_writer = std::thread([] { g_writerGotIn = test_files::writeOver(g_written, g_after); });
        return system.read(file, bytes, size, offset);
    };
    const FileContent read = readRegularFile(g_written, kLimit);
    systemCalls() = system;
    g_writer.join();
    EXPECT_TRUE(g_writerGotIn);
    // Never half of each: the file as it was, or as the other program left it.
    ASSERT_TRUE(read.bytes) << read.error.toStdString();
    const QByteArray got(read.bytes->data.get(), qsizetype(read.bytes->size));
    EXPECT_TRUE(got == before || got == g_after) << got.left(10).toStdString();
}

}  // namespace
}  // namespace files
