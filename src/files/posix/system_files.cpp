// The file layer's seam on POSIX systems (Linux).
#include "files/system_files.h"

#include <QFile>

#include <cerrno>
#include <climits>
#include <cstring>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace files {
namespace {

// Symbolic links followed before a chain counts as a loop, as the kernel does.
constexpr int kMaxLinkHops = 40;

int fd(Handle file)
{
    return static_cast<int>(file);
}

std::int64_t nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileState stateFrom(const struct stat& info)
{
    FileState state;
    if (S_ISDIR(info.st_mode))
        state.kind = Kind::Directory;
    else if (S_ISFIFO(info.st_mode))
        state.kind = Kind::Pipe;
    else if (S_ISSOCK(info.st_mode))
        state.kind = Kind::Socket;
    else if (!S_ISREG(info.st_mode))
        state.kind = Kind::Device;
    state.volume = static_cast<std::uint64_t>(info.st_dev);
    state.index = static_cast<std::uint64_t>(info.st_ino);
    state.size = static_cast<std::int64_t>(info.st_size);
    state.modifiedNs = nanoseconds(info.st_mtim);
    state.changedNs = nanoseconds(info.st_ctim);
    state.links = static_cast<std::uint32_t>(info.st_nlink);
    state.readOnly = (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
    return state;
}

Handle openWith(const NativeName& name, int flags, mode_t mode = 0)
{
    const int opened = ::open(name.c_str(), flags | O_NOCTTY | O_CLOEXEC, mode);
    return opened < 0 ? kNoHandle : opened;
}

// Copies every extended attribute (ACLs included) of one file to another; false when one cannot be.
bool copyAttributes(int from, int to)
{
    const SystemCalls& calls = systemCalls();
    const ssize_t listed = calls.flistxattr(from, nullptr, 0);
    if (listed < 0)
        return errno == ENOTSUP;  // a file system without them has none to keep
    QByteArray names(listed, Qt::Uninitialized);
    const ssize_t got = calls.flistxattr(from, names.data(), static_cast<std::size_t>(names.size()));
    if (got < 0)
        return false;
    for (const QByteArray& name : names.left(got).split('\0')) {
        if (name.isEmpty())
            continue;
        const ssize_t size = calls.fgetxattr(from, name.constData(), nullptr, 0);
        if (size < 0)
            return false;
        QByteArray value(size, Qt::Uninitialized);
        const ssize_t read = calls.fgetxattr(from, name.constData(), value.data(), static_cast<std::size_t>(size));
        if (read < 0 ||
            calls.fsetxattr(to, name.constData(), value.constData(), static_cast<std::size_t>(read), 0) != 0)
            return false;
    }
    return true;
}

}  // namespace

NativeName nativeName(const QString& path)
{
    return QFile::encodeName(path).toStdString();
}

SystemCalls& systemCalls()
{
    static SystemCalls calls{
        [](const NativeName& name) { return openWith(name, O_RDONLY | O_NONBLOCK); },
        [](const NativeName& name) { return openWith(name, O_RDWR); },
        [](const NativeName& name, bool asNewFile) {
            // The umask takes from a new file's read and write for all what the user wants kept.
            return openWith(name, O_RDWR | O_CREAT | O_EXCL, asNewFile ? 0666 : 0600);
        },
        [](Handle file, char* bytes, std::size_t size, std::int64_t offset) -> std::int64_t {
            for (;;) {
                const ssize_t got = ::pread(fd(file), bytes, size, static_cast<off_t>(offset));
                if (got >= 0 || errno != EINTR)
                    return got;
            }
        },
        [](Handle file, const char* bytes, std::size_t size, std::int64_t offset) {
            while (size > 0) {
                const ssize_t written = ::pwrite(fd(file), bytes, size, static_cast<off_t>(offset));
                if (written < 0) {
                    if (errno == EINTR)
                        continue;
                    return false;
                }
                bytes += written;
                size -= static_cast<std::size_t>(written);
                offset += written;
            }
            return true;
        },
        [](Handle file) { return ::fsync(fd(file)) == 0; },
        [](Handle file, std::int64_t size) { return ::ftruncate(fd(file), static_cast<off_t>(size)) == 0; },
        [](const NativeName& temporary, const NativeName& target, bool replacing) {
            // Where nothing is to be replaced, nothing is: a file that came meanwhile stays.
            const bool moved = replacing ? ::rename(temporary.c_str(), target.c_str()) == 0
                                         : ::renameat2(AT_FDCWD, temporary.c_str(), AT_FDCWD, target.c_str(),
                                                       RENAME_NOREPLACE) == 0 ||
                                               (errno == EINVAL && ::link(temporary.c_str(), target.c_str()) == 0 &&
                                                ::unlink(temporary.c_str()) == 0);
            if (!moved)
                return false;
            // The new name itself reaches the disk with its folder.
            const std::size_t slash = target.rfind('/');
            const NativeName folder = slash == NativeName::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
            if (const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC); dir >= 0) {
                ::fsync(dir);
                ::close(dir);
            }
            return true;
        },
        [](Handle file) { return ::close(fd(file)) == 0; },
        ::fchown,
        ::fchmod,
        ::flistxattr,
        ::fgetxattr,
        ::fsetxattr,
    };
    return calls;
}

bool resolve(const QString& path, QString& target, std::optional<FileState>& state)
{
    QByteArray name = QFile::encodeName(path);
    for (int hops = 0;; ++hops) {
        struct stat info {};
        if (::lstat(name.constData(), &info) != 0) {
            if (errno != ENOENT)
                return false;
            state.reset();
            target = QFile::decodeName(name);
            return true;
        }
        if (!S_ISLNK(info.st_mode)) {
            state = stateFrom(info);
            target = QFile::decodeName(name);
            return true;
        }
        if (hops == kMaxLinkHops) {
            errno = ELOOP;
            return false;
        }
        QByteArray link(static_cast<qsizetype>(info.st_size > 0 ? info.st_size : PATH_MAX), Qt::Uninitialized);
        const ssize_t length = ::readlink(name.constData(), link.data(), static_cast<std::size_t>(link.size()));
        if (length < 0)
            return false;
        link.truncate(length);
        if (!link.startsWith('/'))
            link.prepend(name.left(name.lastIndexOf('/') + 1));
        name = link;
    }
}

bool stateOf(Handle file, FileState& state)
{
    struct stat info {};
    if (::fstat(fd(file), &info) != 0)
        return false;
    state = stateFrom(info);
    return true;
}

bool sameName(const QString& a, const QString& b)
{
    return a == b;
}

bool mayWrite(const QString& target)
{
    // Only who may write the file replaces it, whoever may write its folder.
    return ::access(QFile::encodeName(target).constData(), W_OK) == 0;
}

bool keepWhatItHas(Handle original, const FileState&, Handle copy)
{
    // Only root may give a file away, and anyone else only to a group of
    // their own: a new file that cannot keep what the old one has is not made.
    struct stat info {};
    struct stat made {};
    const SystemCalls& calls = systemCalls();
    return ::fstat(fd(original), &info) == 0 &&
           (calls.fchown(fd(copy), info.st_uid, info.st_gid) == 0 || errno == EPERM) && ::fstat(fd(copy), &made) == 0 &&
           made.st_uid == info.st_uid && made.st_gid == info.st_gid &&
           calls.fchmod(fd(copy), info.st_mode & 07777) == 0 && copyAttributes(fd(original), fd(copy));
}

bool removeFile(const QString& name)
{
    return ::unlink(QFile::encodeName(name).constData()) == 0;
}

void forEachOwnFile(const QString& folder,
                    const std::function<void(const QString& name, std::int64_t modifiedNs)>& visit)
{
    const QByteArray path = QFile::encodeName(folder);
    DIR* entries = ::opendir(path.constData());
    if (!entries)
        return;
    while (const dirent* entry = ::readdir(entries)) {
        struct stat info {};
        if (::fstatat(::dirfd(entries), entry->d_name, &info, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(info.st_mode) &&
            info.st_uid == ::geteuid())
            visit(QFile::decodeName(entry->d_name), nanoseconds(info.st_mtim));
    }
    ::closedir(entries);
}

std::int64_t nowNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

// A read lease: the system refuses it while another program has the file
// open for writing, and breaks it when one opens it so while the lease is
// held (signalled with SIGIO, which the program ignores from its start).
// Only the file's owner gets one, and only on a local file system.
WriterWatch::WriterWatch(Handle file)
    : file_(file)
{
}

WriterWatch::~WriterWatch()
{
    release();
}

WriterWatch::Taken WriterWatch::take()
{
    if (::fcntl(fd(file_), F_SETLEASE, F_RDLCK) == 0) {
        held_ = true;
        return Taken::Yes;
    }
    return errno == EAGAIN ? Taken::RefusedForAWriter : Taken::NotOffered;
}

bool WriterWatch::broken() const
{
    return held_ && ::fcntl(fd(file_), F_GETLEASE) != F_RDLCK;
}

void WriterWatch::release()
{
    if (held_)
        ::fcntl(fd(file_), F_SETLEASE, F_UNLCK);
    held_ = false;
}

int lastError()
{
    return errno;
}

void setLastError(int error)
{
    errno = error;
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

int notFoundError()
{
    return ENOENT;
}

int existsError()
{
    return EEXIST;
}

int isDirectoryError()
{
    return EISDIR;
}

int ioError()
{
    return EIO;
}

bool isBusy(int)
{
    return false;  // a writer is told of by the lease, after the open
}

}  // namespace files
