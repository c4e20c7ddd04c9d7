#include "document/writer.h"

#include "document_support.h"
#include "test_files.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>

namespace modMain {
namespace {

using testing::parsed;

std::string contentOf(const QString& path)
{
    return test_files::contentOf(path).toStdString();
}

void writeFile(const QString& path, const std::string& bytes)
{
    ASSERT_TRUE(test_files::writeFile(path, QByteArray::fromStdString(bytes)));
}

mode_t modeOf(const QString& path)
{
    struct stat info {};
    stat(QFile::encodeName(path).constData(), &info);
    return info.st_mode & 07777;
}

TEST(Writer, GivesBackEveryByteButEmptyLinesAndLineEnds)
{
    // Every byte value but CR and LF, in a header, a name and a value.
    std::string others;
    for (int b = 0; b < 256; ++b) {
        if (b != '\r' && b != '\n')
            others += static_cast<char>(b);
    }
    std::string name = others;
    std::erase(name, '=');
    const std::string header = "[" + others + "]";
    const std::string entry = name + "=" + others;

    const std::string file = "\r\n" + header + "\n\n" + entry + "\r" + "[g]\r\n\r\n" + entry;
    const std::string written = documentBytes(parsed(file));
    EXPECT_EQ(written, header + "\r\n" + entry + "\r\n" + "[g]\r\n" + entry + "\r\n");
    EXPECT_EQ(documentBytes(parsed(written)), written);
}

TEST(Writer, WritesOnlyTheLiveContentInPositionOrder)
{
    Document document = parsed("[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\nw=4\r\n");
    document.RemoveEntry(1, 1);
    document.RemoveGroup(3);
    document.AppendEntry(1, "novo", "v=1");
    document.AppendGroup("[a]");
    document.AppendEntry(4, "depois", "");
    document.RemoveEntry(2, 1);
    EXPECT_EQ(documentBytes(document), "[a]\r\ny=2\r\nnovo=v=1\r\n[b]\r\n[a]\r\ndepois=\r\n");

    document.RemoveGroup(1);
    document.RemoveGroup(2);
    document.RemoveGroup(4);
    EXPECT_EQ(documentBytes(document), "");
    EXPECT_EQ(documentBytes(Document()), "");
}

TEST(Writer, SavesOverFilesLinksAndPermissions)
{
    QTemporaryDir folder;
    const Document document = parsed("[g]\nx=1");

    const QString created = folder.filePath("novo.cfg");
    EXPECT_TRUE(saveDocument(document, created).saved);
    EXPECT_EQ(contentOf(created), "[g]\r\nx=1\r\n");

    const QString existing = folder.filePath("fs9.cfg");
    writeFile(existing, "old content, longer than the new one\r\n");
    chmod(QFile::encodeName(existing).constData(), 0640);
    EXPECT_TRUE(saveDocument(document, existing).saved);
    EXPECT_EQ(contentOf(existing), "[g]\r\nx=1\r\n");
    EXPECT_EQ(modeOf(existing), mode_t(0640));

    const QString link = folder.filePath("link.cfg");
    writeFile(existing, "old");
    ASSERT_TRUE(QFile::link("fs9.cfg", link));
    EXPECT_TRUE(saveDocument(Document(), link).saved);
    EXPECT_TRUE(QFileInfo(link).isSymLink());
    EXPECT_EQ(contentOf(existing), "");
    EXPECT_EQ(modeOf(existing), mode_t(0640));

    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"fs9.cfg", "link.cfg", "novo.cfg"}));
}

TEST(Writer, FailedSavesLeaveTheTargetAsItWasAndSayWhy)
{
    QTemporaryDir folder;
    const Document document = parsed("[g]\r\nx=1\r\n");

    const QString readOnly = folder.filePath("somente-leitura.cfg");
    writeFile(readOnly, "original");
    chmod(QFile::encodeName(readOnly).constData(), 0444);
    QDir(folder.path()).mkdir("pasta.cfg");

    const struct {
        QString target;
        std::string reason;
    } cases[] = {
        {folder.filePath("nao-existe/fs9.cfg"), "No such file or directory"},
        {folder.filePath("pasta.cfg"), "Is a directory"},
        {readOnly, "O arquivo é somente leitura."},
        {"/dev/full", "No space left on device"},
    };
    for (const auto& c : cases) {
        const SaveResult result = saveDocument(document, c.target);
        EXPECT_FALSE(result.saved) << c.target.toStdString();
        EXPECT_NE(result.error.toStdString().find(c.reason), std::string::npos)
            << c.target.toStdString() << ": " << result.error.toStdString();
    }
    EXPECT_EQ(contentOf(readOnly), "original");
    EXPECT_EQ(modeOf(readOnly), mode_t(0444));
    EXPECT_TRUE(QFileInfo("/dev/full").exists() && !QFileInfo("/dev/full").isFile());
    EXPECT_EQ(QDir(folder.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot),
              (QStringList{"pasta.cfg", "somente-leitura.cfg"}));
    EXPECT_TRUE(QDir(folder.filePath("pasta.cfg")).isEmpty());
}

}  // namespace
}  // namespace modMain
