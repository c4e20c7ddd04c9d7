#include "document/reader.h"

#include "document_support.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace modMain {
namespace {

using testing::liveContent;
using testing::parsed;
using Content = std::vector<std::string>;

TEST(Reader, BuildsGroupsFromHeadersAndTheEntriesBelowThem)
{
    const struct {
        std::string text;
        Content content;
    } cases[] = {
        {"", {}},
        {"\r\n\n\r", {}},
        {"[grupo1]\r\nPARM1=VAL1\r\nPARM2=VAL2\r\n", {"H [grupo1]", "E PARM1 | VAL1", "E PARM2 | VAL2"}},
        {"[a]\r\n[b]\r\nx=1", {"H [a]", "H [b]", "E x | 1"}},
        {"[a]\r\nx=1\r\n[a]\r\nx=2\r\n", {"H [a]", "E x | 1", "H [a]", "E x | 2"}},
        {"[a]\r\n\r\n\r\nx = 1 \r\n", {"H [a]", "E x  |  1 "}},
        {"[a]\nx=1\ny=a=b=c\n", {"H [a]", "E x | 1", "E y | a=b=c"}},
        {"[a]\rx=1\r[b]\r", {"H [a]", "E x | 1", "H [b]"}},
        {"[a=1]\r\n[b] =2\r\n", {"H [a=1]", "E [b]  | 2"}},
    };
    for (const auto& c : cases)
        EXPECT_EQ(liveContent(parsed(c.text)), c.content) << c.text;
}

TEST(Reader, RefusesAnyLineItCannotKeepAndNamesIt)
{
    const struct {
        std::string text;
        std::string error;
    } cases[] = {
        {"solto", "Linha 1: a linha não é um grupo nem tem \"=\"."},
        {"[g]\r\n\r\nx=1\r\n [h]\r\n", "Linha 4: a linha não é um grupo nem tem \"=\"."},
        {"[g]\nx=1\n \n", "Linha 3: a linha não é um grupo nem tem \"=\"."},
        {"\r\nx=1\r\n[g]\r\n", "Linha 2: parâmetro antes do primeiro grupo."},
        {"[g]\r\n[", "Linha 2: a linha não é um grupo nem tem \"=\"."},
    };
    for (const auto& c : cases) {
        const ReadResult result = parseDocument(copyFileBytes(c.text));
        EXPECT_FALSE(result.document) << c.text;
        EXPECT_EQ(result.error.toStdString(), c.error) << c.text;
    }
}

TEST(Reader, HoldsToTheSlotLimits)
{
    std::string groups;
    for (int i = 0; i < kMaxSlots; ++i)
        groups += "[g]\r\n";
    EXPECT_EQ(parsed(groups).GroupCount(), kMaxSlots);
    const ReadResult tooManyGroups = parseDocument(copyFileBytes(groups + "\r\n[h]\r\n"));
    EXPECT_FALSE(tooManyGroups.document);
    EXPECT_EQ(tooManyGroups.error.toStdString(), "Linha 32769: o arquivo tem mais de 32767 grupos.");

    std::string entries = "[g]\r\n";
    for (int i = 0; i < kMaxSlots; ++i)
        entries += "n=v\r\n";
    EXPECT_EQ(parsed(entries + "[h]\r\nn=v\r\n").Group(1).EntryCount(), kMaxSlots);
    const ReadResult tooManyEntries = parseDocument(copyFileBytes(entries + "n=v\r\n"));
    EXPECT_FALSE(tooManyEntries.document);
    EXPECT_EQ(tooManyEntries.error.toStdString(), "Linha 32769: o grupo tem mais de 32767 parâmetros.");
}

TEST(Reader, ReportsFilesItCannotRead)
{
    QTemporaryDir folder;
    const QString missing = folder.filePath("nao-existe.cfg");
    const ReadResult fromMissing = readDocument(missing);
    EXPECT_FALSE(fromMissing.document);
    EXPECT_EQ(fromMissing.error.toStdString(), "No such file or directory");

    const ReadResult fromFolder = readDocument(folder.path());
    EXPECT_FALSE(fromFolder.document);
    EXPECT_FALSE(fromFolder.error.isEmpty());
}

TEST(Reader, ReadsAFileWhole)
{
    QTemporaryDir folder;
    QFile file(folder.filePath("fs9.cfg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    std::string text;
    for (int i = 0; i < 5000; ++i)
        text += "[g" + std::to_string(i) + "]\r\nnome=valor " + std::to_string(i) + "\r\n";
    file.write(text.data(), qint64(text.size()));
    file.close();

    const ReadResult result = readDocument(file.fileName());
    ASSERT_TRUE(result.document) << result.error.toStdString();
    EXPECT_EQ(result.document->GroupCount(), 5000);
    EXPECT_EQ(result.document->Value(4999, 1), "valor 4998");
}

TEST(Reader, ReadsFilesThatReportNoSize)
{
    // /proc files report a size of zero; their lines are read all the same
    // (and this one's first line is neither a group nor an entry).
    const ReadResult result = readDocument("/proc/self/status");
    EXPECT_FALSE(result.document);
    EXPECT_EQ(result.error.toStdString(), "Linha 1: a linha não é um grupo nem tem \"=\".");
}

}  // namespace
}  // namespace modMain
