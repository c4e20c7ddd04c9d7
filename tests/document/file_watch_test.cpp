// The watch of the open file, without a window: what it tells, once, and when.
#include "document/file_watch.h"

#include "files/file_reading.h"

#include "test_files.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <new>
#include <thread>
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
    explicit WatchTest(FileWatch::Read read = {}, WatchPace pace = {})
        : watch(nullptr, std::move(read), pace)
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
        wait(800);  // the first look taken: only an event brings the next
        c.change(path);
        waitForTold(1);
        ASSERT_EQ(told.size(), 1u);
        EXPECT_EQ(told[0].bytes, "[b]\r\nx=1\r\n");
    }
}

// A watch whose reads of the changed file take no time: a file that keeps
// changing would keep the reader trying, and only the look is timed here.
class QuickReadWatchTest : public WatchTest {
protected:
    QuickReadWatchTest()
        : WatchTest([](const QString&) { return ReadResult{}; })
    {
    }
};

TEST_F(QuickReadWatchTest, LooksWithinTheDeadlineHoweverManyEventsFollow)
{
    watchFile("[a]\r\n");
    wait(300);
    // A program that goes on writing the file, every 50 ms, for longer than a look may wait.
    const qint64 firstWriteMs = clock.elapsed();
    for (int n = 0; clock.elapsed() - firstWriteMs < 3000; ++n) {
        writeFile(path, "[a]\r\nx=" + QByteArray::number(n % 10) + "\r\n");
        wait(50);
        if (!told.empty())
            break;
    }
    ASSERT_FALSE(told.empty()) << "no look while the events went on";
    EXPECT_LT(told[0].atMs - firstWriteMs, 2000);
}

// A watch that would wait long after the first event: only the settle after
// the file's own last event brings the look.
class PatientWatchTest : public WatchTest {
protected:
    PatientWatchTest()
        : WatchTest({}, {150, 60'000})
    {
    }
};

#ifndef _WIN32
TEST_F(PatientWatchTest, IsNeverStarvedByOtherFilesOfTheFolderChangingBesideIt)
{
    watchFile("[a]\r\n");
    wait(300);
    // Another program saving a file of its own by rename, every 50 ms, all along.
    std::atomic<bool> churning = true;
    std::thread churn([&] {
        for (int n = 0; churning; ++n) {
            writeFile(folder.filePath("outro.tmp"), QByteArray::number(n));
            QFile::remove(folder.filePath("outro.cfg"));
            QFile::rename(folder.filePath("outro.tmp"), folder.filePath("outro.cfg"));
            QThread::msleep(50);
        }
    });
    wait(300);
    writeFile(path, "[a]\r\nx=1\r\n");
    const qint64 writtenMs = clock.elapsed();
    waitForTold(1, 2000);
    churning = false;
    churn.join();
    ASSERT_EQ(told.size(), 1u);
    EXPECT_LT(told[0].atMs - writtenMs, 1000);
}

TEST_F(WatchTest, TellsOfTheFolderRenamedAway)
{
    ASSERT_TRUE(QDir(folder.path()).mkdir("FS9"));
    const QString inFolder = folder.filePath("FS9/fs9.cfg");
    writeFile(inFolder, "[a]\r\n");
    watch.watch(inFolder, files::readRegularFile(inFolder, kLimit).record);
    wait(300);
    ASSERT_TRUE(QDir(folder.path()).rename("FS9", "FS9.antigo"));
    waitForTold(1);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].kind, FileNotice::Kind::Gone);
}

TEST_F(WatchTest, TellsOnceOfANameThatNowLeadsElsewhere)
{
    writeFile(folder.filePath("perfil_a.cfg"), "[a]\r\n");
    writeFile(folder.filePath("perfil_b.cfg"), "[a]\r\n");
    ASSERT_TRUE(QFile::link("perfil_a.cfg", path));
    watch.watch(path, files::readRegularFile(path, kLimit).record);
    wait(300);
    // Another file of the same bytes is another file.
    QFile::remove(path);
    ASSERT_TRUE(QFile::link("perfil_b.cfg", path));
    waitForTold(1);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].bytes, "[a]\r\n");
    // A device: told once, unread (the reader refuses it), whatever else happens.
    QFile::remove(path);
    ASSERT_TRUE(QFile::link("/dev/zero", path));
    waitForTold(2);
    writeFile(folder.filePath("perfil_a.cfg"), "[a]\r\nx=1\r\n");
    wait(600);
    ASSERT_EQ(told.size(), 2u);
    EXPECT_EQ(told[1].kind, FileNotice::Kind::Changed);
    EXPECT_EQ(told[1].bytes, "");
}
#endif

TEST_F(WatchTest, ANewWatchTrustsNoSizeAndTimeThatWerePutBack)
{
    watchFile("[a]\r\nx=1\r\n");
    const files::FileRecord record = files::readRegularFile(path, kLimit).record;
    wait(300);
    // While a dialog is open the watch starts anew on the record from before it;
    // meanwhile the file was rewritten at the same size, its time put back.
    watch.watch({}, {});
    writeFile(path, "[b]\r\nx=1\r\n");
    test_files::setModifiedNs(path, record.stamp.modifiedNs);
    wait(300);
    watch.watch(path, record);
    waitForTold(1);
    ASSERT_EQ(told.size(), 1u);
    EXPECT_EQ(told[0].bytes, "[b]\r\nx=1\r\n");
}

// Counts the reads of the whole document.
std::atomic<int> g_documentReads = 0;
ReadResult countedRead(const QString& path)
{
    ++g_documentReads;
    return readDocument(path);
}

class CountedWatchTest : public WatchTest {
protected:
    CountedWatchTest()
        : WatchTest(countedRead)
    {
        g_documentReads = 0;
    }
};

TEST_F(CountedWatchTest, AChangeOfMetadataAloneNeitherTellsNorReadsTheDocument)
{
    watchFile("[a]\r\nx=1\r\n");
    wait(300);
    writeFile(path, "[a]\r\nx=2\r\n");
    waitForTold(1);
    ASSERT_EQ(told.size(), 1u);
    // Told, not acted on (Manter as minhas): its mode, its time, an attribute.
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner);
    wait(300);
    test_files::setModifiedNs(path, files::nowNs() - 5'000'000'000);
    wait(300);
    test_files::giveSomethingToKeep(path);
    wait(600);
    EXPECT_EQ(told.size(), 1u);
    EXPECT_EQ(g_documentReads, 1);
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
