// The desktop's trash on Linux: the freedesktop.org trash of the user's data
// folder, made when missing.
#include "files/trash.h"

#include "files/system_files.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QUrl>

#include <cerrno>
#include <cstdio>
#include <fcntl.h>
#include <unistd.h>

namespace files {
namespace {

// Claims a name in the trash by creating its information file, which says
// where the file came from; another program trashing at the same moment gets
// another name. The name, or nothing.
QString claimName(const QDir& trash, const QString& original)
{
    const QString name = QFileInfo(original).fileName();
    const QByteArray info = "[Trash Info]\nPath=" + QUrl::toPercentEncoding(original, "/") +
                            "\nDeletionDate=" + QDateTime::currentDateTime().toString(Qt::ISODate).toUtf8() + '\n';
    for (int n = 1; n < 1000; ++n) {
        const QString candidate = n == 1 ? name : QStringLiteral("%1 (%2)").arg(name).arg(n);
        const QByteArray infoPath = QFile::encodeName(trash.filePath("info/" + candidate + ".trashinfo"));
        const int fd = ::open(infoPath.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
        if (fd < 0) {
            if (errno == EEXIST)
                continue;
            return {};
        }
        const bool written = ::write(fd, info.constData(), std::size_t(info.size())) == info.size();
        if (::close(fd) == 0 && written)
            return candidate;
        ::unlink(infoPath.constData());
        return {};
    }
    return {};
}

}  // namespace

QString moveToTrash(const QString& path)
{
    const QString original = QFileInfo(path).absoluteFilePath();
    if (!QFileInfo::exists(original) && !QFileInfo(original).isSymLink())
        return systemReason(notFoundError());
    const QString dataFolder = QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation);
    const QDir trash(dataFolder + QStringLiteral("/Trash"));
    if (dataFolder.isEmpty() || !QDir().mkpath(trash.filePath("files")) || !QDir().mkpath(trash.filePath("info")))
        return QStringLiteral("Não foi possível criar a lixeira do usuário.");
    QFile::setPermissions(trash.path(), QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    const QString name = claimName(trash, original);
    if (name.isEmpty())
        return systemReason(errno);
    const QString trashed = trash.filePath("files/" + name);
    // On another file system than the trash the file is copied whole first.
    if (std::rename(QFile::encodeName(original).constData(), QFile::encodeName(trashed).constData()) == 0 ||
        (errno == EXDEV && QFile::copy(original, trashed) && QFile::remove(original)))
        return {};
    const int error = errno;
    QFile::remove(trashed);
    QFile::remove(trash.filePath("info/" + name + ".trashinfo"));
    return systemReason(error);
}

}  // namespace files
