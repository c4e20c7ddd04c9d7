// The desktop's trash on Linux.
#include "files/system_files.h"
#include "files/trash.h"

#include "test_files.h"

#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

namespace files {
namespace {

using test_files::contentOf;
using test_files::entriesOf;
using test_files::writeFile;

TEST(TrashOnLinux, MovesFilesIntoTheDesktopsTrashUnderNamesOfTheirOwn)
{
    QTemporaryDir folder;
    const QByteArray dataHome = QFile::encodeName(folder.filePath("dados"));
    ::setenv("XDG_DATA_HOME", dataHome.constData(), 1);
    const QString file = folder.filePath("com espaço.cfg");
    for (const QByteArray content : {"primeiro", "segundo"}) {
        writeFile(file, content);
        EXPECT_EQ(moveToTrash(file), QString());
        EXPECT_FALSE(QFile::exists(file));
    }
    EXPECT_EQ(moveToTrash(file), systemReason(ENOENT));  // nothing there any more
    ::unsetenv("XDG_DATA_HOME");
    EXPECT_EQ(contentOf(folder.filePath("dados/Trash/files/com espaço.cfg")), "primeiro");
    EXPECT_EQ(contentOf(folder.filePath("dados/Trash/files/com espaço.cfg (2)")), "segundo");
    EXPECT_TRUE(contentOf(folder.filePath("dados/Trash/info/com espaço.cfg (2).trashinfo"))
                    .startsWith("[Trash Info]\nPath=" + QUrl::toPercentEncoding(file, "/") + "\nDeletionDate="));
    EXPECT_EQ(entriesOf(folder.filePath("dados/Trash/info")).size(), 2);
}

}  // namespace
}  // namespace files
