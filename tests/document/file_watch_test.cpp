// The watch of the open file, without a window: what it tells, once, and when.
#include "document/file_watch.h"

#include "files/file_reading.h"

#include "test_files.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <vector>

#ifndef _WIN32
#include <fcntl.h>
#include <unistd.h>
#endif

namespace modMain {
namespace {

using test_files::writeFile;

constexpr std::size_t kLimit = Document::kMaxFileSize;

// What a watch told, and when (in milliseconds since the watch began).
struct Told {
    FileNotice::Kind kind;
    std::string bytes;  // Changed: the file as read
    qint64 atMs;
};

class WatchTest : public ::testing::Test {
protected:
    explicit WatchTest(FileWatch::Read read = {})
        : watch(nullptr, std::move(read))
    {
        QObject::connect(&watch, &FileWatch::noticed, [this](std::shared_ptr<FileNotice> notice) {
            told.push_back({notice->kind,
                            notice->read.document ? std::string(notice->read.document->fileBytes().view()) : "",
                            clock.elapsed()});
        });
        clock.start();
    }

    // Writes the file and watches it as just read.
    void watchFile(const QByteArray& bytes)
    {
        writeFile(path, bytes);
        watch.watch(path, files::readRegularFile(path, kLimit).record);
    }
    // Lets the watch run for a while.
    void wait(int ms)
    {
        QElapsedTimer waited;
        waited.start();
        while (waited.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
    }
    // Waits until the watch has told `count` things in all, or a while.
    void waitForTold(std::size_t count, int ms = 3000)
    {
        QElapsedTimer waited;
        waited.start();
        while (told.size() < count && waited.elapsed() < ms) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
            QThread::msleep(5);
        }
    }

    QTemporaryDir folder;
    const QString path = folder.filePath("fs9.cfg");
    QElapsedTimer clock;
    FileWatch watch;
    std::vector<Told> told;
};

TEST_F(WatchTest, TellsEachStateOnceAndItsGoingOnce)
{
    watchFile("[a]\r\nx=1\r\n");
    wait(400);
    EXPECT_TRUE(told.empty()) << "the file as read is no news";
    writeFile(path, "[a]\r\nx=2\r\n");
    waitForTold(1);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, FileNotice::Kind::Changed);
    EXPECT_EQ(told[0].bytes, "[a]\r\nx=2\r\n");
    // The same bytes again, or only its time: nothing new.
    writeFile(path, "[a]\r\nx=2\r\n");
    test_files::setModifiedNs(path, files::nowNs() - 3'000'000'000);
    wait(600);
    EXPECT_EQ(told.size(), 1u);
    QFile::remove(path);
    waitForTold(2);
    wait(400);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].kind, FileNotice::Kind::Gone);
}

TEST_F(WatchTest, LooksOnceTheFileHasBeenLetBeAfterTheLastEvent)
{
    watchFile("[a]\r\n");
    wait(300);
    // A program writing the file in pieces, 60 ms apart: one notice, of the whole.
    QByteArray written = "[a]\r\n";
    qint64 lastWriteMs = 0;
    for (int piece = 0; piece < 6; ++piece) {
        written += "x=" + QByteArray::number(piece) + "\r\n";
        writeFile(path, written);
        lastWriteMs = clock.elapsed();
        wait(60);
    }
    waitForTold(1);
    wait(400);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].bytes, written.toStdString());
    EXPECT_GE(told[0].atMs - lastWriteMs, 140);
}

TEST_F(WatchTest, ANewWatchDropsWhatTheOldOneNoticed)
{
    watchFile("[a]\r\nx=1\r\n");
    wait(300);
    writeFile(path, "[a]\r\nx=22\r\n");
    // The old watch notices the change while this thread is busy, and the
    // file is read again before its notice comes in: news of nothing.
    QThread::msleep(700);
    watch.watch(path, files::readRegularFile(path, kLimit).record);
    wait(800);
    EXPECT_TRUE(told.empty());
}

TEST_F(WatchTest, TellsOfAChangeThatKeepsTheFileItsSizeOrItsTime)
{
    const struct {
        const char* name;
        std::function<void(const QString&)> change;
    } changes[] = {
#ifndef _WIN32
        {"written in place",
         [](const QString& file) {
             const int fd = ::open(QFile::encodeName(file).constData(), O_WRONLY);
             EXPECT_EQ(::pwrite(fd, "[b]", 3, 0), 3);
             ::close(fd);
         }},
#endif
        {"the same size, its time put back",
         [](const QString& file) {
             const std::int64_t before = test_files::modifiedNsOf(file);
             writeFile(file, "[b]\r\nx=1\r\n");
             test_files::setModifiedNs(file, before);
         }},
    };
    for (const auto& c : changes) {
        SCOPED_TRACE(c.name);
        told.clear();
        watchFile("[a]\r\nx=1\r\n");
        wait(300);
        c.change(path);
        waitForTold(1);
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].bytes, "[b]\r\nx=1\r\n");
    }
}

// A read that runs out of memory the first time.
std::atomic<int> g_reads = 0;
ReadResult readShortOfMemoryOnce(const QString& path)
{
    if (g_reads++ == 0)
        throw std::bad_alloc();
    return readDocument(path);
}

class WatchShortOfMemoryTest : public WatchTest {
protected:
    WatchShortOfMemoryTest()
        : WatchTest(readShortOfMemoryOnce)
    {
    }
};

TEST_F(WatchShortOfMemoryTest, ALookThatRunsOutOfMemoryIsTakenAgain)
{
    watchFile("[a]\r\nx=1\r\n");
    wait(300);
    writeFile(path, "[a]\r\nx=2\r\n");
    waitForTold(1, 4000);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].bytes, "[a]\r\nx=2\r\n");
    EXPECT_EQ(g_reads, 2);
}

}  // namespace
}  // namespace modMain
