// Saving a file, on every system: all or nothing, with the system's reason
// for a failure. What only one system shows is in saving_linux_test.cpp and
// saving_windows_test.cpp.
#include "files/file_reading.h"
#include "files/file_reasons.h"
#include "files/file_saving.h"
#include "files/system_files.h"

#include "file_faults.h"
#include "files_support.h"
#include "test_files.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace files {
namespace {

using test_files::contentOf;
using test_files::entriesOf;
using test_files::writeFile;
using testing::fail;
using testing::kLimit;
using testing::saveText;

// Content of many pieces' worth of lines, every byte value in its values.
std::string largeContent()
{
    std::string text;
    for (int i = 0; text.size() < 300 * 1024; ++i) {
        text += "[grupo " + std::to_string(i) + "]\r\n";
        for (int b = 0; b < 256; ++b) {
            if (b != '\r' && b != '\n')
                text += "p" + std::to_string(b) + "=" + std::string(3, static_cast<char>(b)) + "\r\n";
        }
    }
    return text;
}

TEST(SafeSave, ReplacesTheFileWholeAndRoundTripsLargeContent)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo\r\n");
    const std::string content = largeContent();
    const SaveResult result = saveText(target, content);
    ASSERT_TRUE(result.saved) << result.error.toStdString();
    EXPECT_EQ(contentOf(target).toStdString(), content);
    EXPECT_EQ(compareWithDisk(result.record, target), OnDisk::AsRecorded);

    const QString created = folder.filePath("novo.cfg");
    EXPECT_TRUE(saveText(created, "[g]\r\nx=1\r\n").saved);
    EXPECT_EQ(contentOf(created), "[g]\r\nx=1\r\n");
    // A name at the system's limit leaves no room for a longer temporary name, and needs none.
    const QString longest = folder.filePath(QString(251, u'n') + ".cfg");
    EXPECT_TRUE(saveText(longest, "[g]\r\n").saved);
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
        {folder.filePath("pasta.cfg"), systemReason(isDirectoryError())},
    };
    for (const auto& c : cases) {
        const SaveResult result = saveText(c.target, "[g]\r\n");
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
        const SaveResult result = saveText(target, "[g]\r\n");
        systemCalls() = system;
        EXPECT_EQ(result.saved, c.saves) << result.error.toStdString();
        if (!c.saves) {
            EXPECT_EQ(result.error, systemReason(ioError()));
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
        EXPECT_EQ(readRegularFile(target, kLimit).error, systemReason(ioError()));
        systemCalls() = system;
    }
}

TEST(SafeSave, RemovesWhatEarlierSavesOfTheFileCutShortLeft)
{
    QTemporaryDir folder;
    const QString target = folder.filePath("fs9.cfg");
    writeFile(target, "antigo");
    // The name a save of this file gives its temporary file.
    static NativeName created;
    static SystemCalls system;
    system = systemCalls();
    systemCalls().createNew = [](const NativeName& name, bool asNewFile) {
        created = name;
        return system.createNew(name, asNewFile);
    };
    saveText(target, "[g]\r\n");
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
        {prefix + "copia-DDDDDD", 60, false},    // what a save cut short left: the file is whole again
    };
    for (const auto& f : files) {
        writeFile(folder.filePath(f.name), "x");
        test_files::setModifiedNs(folder.filePath(f.name), nowNs() - std::int64_t(f.ageMinutes) * 60 * 1'000'000'000);
    }
    EXPECT_TRUE(saveText(target, "[g]\r\n").saved);
    for (const auto& f : files)
        EXPECT_EQ(QFile::exists(folder.filePath(f.name)), f.stays) << f.name.toStdString();
}

}  // namespace
}  // namespace files
