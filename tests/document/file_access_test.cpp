// The file layer's promises, on every system; a case that only one system can
// show is named after it, the Linux ones in file_access_linux_test.cpp and the
// Windows ones in file_access_windows_test.cpp.
#include "document/file_reading.h"
#include "document/file_reasons.h"
#include "document/reader.h"
#include "document/system_files.h"
#include "document/writer.h"

#include "document_support.h"
#include "file_faults.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <chrono>

namespace modMain {
namespace {

using files::SystemCalls;
using files::systemCalls;
using test_files::contentOf;
using test_files::entriesOf;
using test_files::writeFile;
using testing::fail;
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

TEST(SafeSave, ReplacesTheFileWholeAndRoundTripsLargeContent)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo\r\n");
    const Document document = largeDocument();
    const SaveResult result = saveDocument(document, target);
    ASSERT_TRUE(result.saved) << result.error.toStdString();
    const std::string written = contentOf(target).toStdString();
    EXPECT_EQ(written, documentBytes(document));
    EXPECT_EQ(documentBytes(parsed(written)), written);
    EXPECT_EQ(compareWithDisk(result.record, target), OnDisk::AsRecorded);

    const QString created = folder.filePath("novo.cfg");
    EXPECT_TRUE(saveDocument(parsed("[g]\nx=1"), created).saved);
    EXPECT_EQ(contentOf(created), "[g]\r\nx=1\r\n");
    // A name at the system's limit leaves no room for a longer temporary name, and needs none.
    const QString longest = folder.filePath(QString(251, u'n') + ".cfg");
    EXPECT_TRUE(saveDocument(parsed("[g]\r\n"), longest).saved);
    EXPECT_EQ(contentOf(longest), "[g]\r\n");
    EXPECT_EQ(entriesOf(folder.path()), (QStringList{"fs9.cfg", QString(251, u'n') + ".cfg", "novo.cfg"}));
}

TEST(SafeSave, RefusesWhatIsNoFileToReplaceAndSaysWhy)
{
    QTemporaryDir folder;
    ASSERT_TRUE(QDir(folder.path()).mkdir("pasta.cfg"));
    const struct {
        QString target;
        QString reason;
    } cases[] = {
        {folder.filePath("nao-existe/fs9.cfg"), systemReason(test_files::missingFolderError())},
        {folder.filePath("pasta.cfg"), systemReason(files::isDirectoryError())},
    };
    for (const auto& c : cases) {
        const SaveResult result = saveDocument(parsed("[g]\r\n"), c.target);
        EXPECT_FALSE(result.saved) << c.target.toStdString();
        EXPECT_EQ(result.error, c.reason) << c.target.toStdString();
    }
    EXPECT_TRUE(QDir(folder.filePath("pasta.cfg")).isEmpty());
    EXPECT_EQ(entriesOf(folder.path()), QStringList{"pasta.cfg"});
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
        {"making the temporary file", [](SystemCalls& c) { fail(c.createNew); }, false, false, false},
        {"writing", [](SystemCalls& c) { fail(c.write); }, false, false, false},
        {"flushing", [](SystemCalls& c) { fail(c.flush); }, false, false, false},
        {"closing", [](SystemCalls& c) { testing::failAfterTaking(c.close); }, false, false, false},
        {"putting the new file in place", [](SystemCalls& c) { fail(c.putInPlace); }, false, false, false},
        {"opening the file to keep what it has", [](SystemCalls& c) { fail(c.openForReading); }, false, false, false},
#ifndef _WIN32
        {"giving the file its owner (Linux)", [](SystemCalls& c) { fail(c.fchown); }, false, true, false},
        {"giving the file its mode (Linux)", [](SystemCalls& c) { fail(c.fchmod); }, false, true, false},
        {"copying an attribute (Linux)", [](SystemCalls& c) { fail(c.fsetxattr); }, false, true, false},
        {"listing the attributes to copy (Linux)", [](SystemCalls& c) { fail(c.flistxattr); }, false, true, false},
#endif
        {"keeping the old content of a file written in place", [](SystemCalls& c) { fail(c.createNew); }, true, false,
         false},
        {"reading the old content of a file written in place", [](SystemCalls& c) { fail(c.read); }, true, false,
         false},
        {"writing in place", [](SystemCalls& c) { testing::failOnce(c.truncate); }, true, false, false},
        {"writing in place, and putting the old content back", [](SystemCalls& c) { fail(c.truncate); }, true, false,
         true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        for (const QString& name : entriesOf(folder.path()))
            QFile::remove(folder.filePath(name));
        writeFile(target, "antigo");
        test_files::giveSomethingToKeep(target);
        if (c.hardLinked) {
            ASSERT_TRUE(test_files::hardLink(target, linked));
        }
        c.fail(systemCalls());
        const SaveResult result = saveDocument(parsed("[g]\r\n"), target);
        systemCalls() = system;
        EXPECT_EQ(result.saved, c.saves) << result.error.toStdString();
        if (!c.saves) {
            EXPECT_EQ(result.error, systemReason(files::ioError()));
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
    for (const auto breakCall :
         {+[](SystemCalls& c) { fail(c.openForReading); }, +[](SystemCalls& c) { fail(c.read); }}) {
        breakCall(systemCalls());
        EXPECT_EQ(readRegularFile(target, Document::kMaxFileSize).error, systemReason(files::ioError()));
        systemCalls() = system;
    }
}

TEST(SafeSave, RemovesTheTemporaryFilesOfEarlierSavesOfTheFileCutShort)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo");
    // The name a save of this file gives its temporary file.
    static files::NativeName created;
    static SystemCalls system;
    system = systemCalls();
    systemCalls().createNew = [](const files::NativeName& name, bool asNewFile) {
        created = name;
        return system.createNew(name, asNewFile);
    };
    saveDocument(parsed("[g]\r\n"), target);
    systemCalls() = system;
    const QString prefix = testing::nameFrom(created).section(u'/', -1).section(u'\\', -1).chopped(6);
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
        test_files::setModifiedNs(folder.filePath(f.name),
                                  files::nowNs() - std::int64_t(f.ageMinutes) * 60 * 1'000'000'000);
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
    const SaveResult saved = saveDocument(parsed("[g]\r\n"), file);
    EXPECT_EQ(compareWithDisk(saved.record, file), OnDisk::AsRecorded);
    EXPECT_EQ(compareWithDisk(FileRecord(), file), OnDisk::Elsewhere);
}

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
        {folder.path(), systemReason(files::isDirectoryError())},
        {folder.filePath("nao-existe.cfg"), systemReason(files::notFoundError())},
        {huge, "O arquivo tem mais de 268435456 bytes."},
    };
    for (const auto& c : cases)
        EXPECT_EQ(readDocument(c.path).error, c.reason) << c.path.toStdString();
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
        const FileContent read = readRegularFile(path, Document::kMaxFileSize, [&] { ++waits; });
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
}  // namespace modMain
