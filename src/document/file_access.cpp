#include "document/file_access.h"

#include <QFile>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>
#include <new>

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace modMain {
namespace {

// A file that changes while it is read is read again this many times at most.
constexpr int kReadAttempts = 3;

// Symbolic links followed before a chain counts as a loop, as the kernel does.
constexpr int kMaxLinkHops = 40;

FileStamp stampOf(const struct stat& info)
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size),
            static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec};
}

bool hasNoWriteBit(const struct stat& info)
{
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0;
}

// Why a path that is no regular file cannot be read or replaced.
QString notRegularReason(const struct stat& info)
{
    if (S_ISDIR(info.st_mode))
        return systemReason(EISDIR);
    if (S_ISFIFO(info.st_mode))
        return QStringLiteral("É um pipe (FIFO), não um arquivo comum.");
    if (S_ISSOCK(info.st_mode))
        return QStringLiteral("É um socket, não um arquivo comum.");
    return QStringLiteral("É um dispositivo, não um arquivo comum.");
}

// Closes a descriptor when it goes out of scope.
class Descriptor {
public:
    explicit Descriptor(int fd)
        : fd_(fd)
    {
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    ~Descriptor()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }

    int get() const { return fd_; }
    // Closes now, so that a failure to close can be told.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return false;
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

// Reads from the start of the file to its end, or until it holds more than
// `limit` bytes. Nothing when a read fails (errno tells why).
std::optional<FileBytes> readFromStart(int fd, std::size_t expected, std::size_t limit)
{
    // One byte more than the size shows at once whether the file has grown.
    std::size_t capacity = std::min(expected, limit) + 1;
    FileBytes bytes{std::make_unique_for_overwrite<char[]>(capacity), 0};
    for (;;) {
        if (bytes.size == capacity) {
            if (capacity > limit)
                return bytes;
            // Files whose size the system does not know grow in steps, up to the limit.
            capacity = std::min(capacity * 2, limit + 1);
            auto larger = std::make_unique_for_overwrite<char[]>(capacity);
            std::memcpy(larger.get(), bytes.data.get(), bytes.size);
            bytes.data = std::move(larger);
        }
        const ssize_t got = ::pread(fd, bytes.data.get() + bytes.size, capacity - bytes.size,
                                    static_cast<off_t>(bytes.size));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            return bytes;
        bytes.size += static_cast<std::size_t>(got);
    }
}

FileContent readFailure(const QString& reason)
{
    return {std::nullopt, {}, reason};
}

// Follows the symbolic links of `path` to the name that the content goes to,
// which need not exist yet. `info` gets that file's state when it exists.
std::optional<QByteArray> finalTarget(const QString& path, struct stat& info, bool& exists, int& error)
{
    QByteArray target = QFile::encodeName(path);
    for (int hops = 0;; ++hops) {
        if (::lstat(target.constData(), &info) != 0) {
            error = errno;
            if (error != ENOENT)
                return std::nullopt;
            exists = false;
            return target;
        }
        if (!S_ISLNK(info.st_mode)) {
            exists = true;
            return target;
        }
        if (hops == kMaxLinkHops) {
            error = ELOOP;
            return std::nullopt;
        }
        QByteArray link(static_cast<qsizetype>(info.st_size > 0 ? info.st_size : PATH_MAX), Qt::Uninitialized);
        const ssize_t length = ::readlink(target.constData(), link.data(), static_cast<std::size_t>(link.size()));
        if (length < 0) {
            error = errno;
            return std::nullopt;
        }
        link.truncate(length);
        if (!link.startsWith('/'))
            link.prepend(target.left(target.lastIndexOf('/') + 1));
        target = link;
    }
}

QByteArray folderOf(const QByteArray& target)
{
    const qsizetype slash = target.lastIndexOf('/');
    if (slash < 0)
        return QByteArrayLiteral(".");
    return slash == 0 ? QByteArrayLiteral("/") : target.left(slash);
}

// The mode a new file gets: what the process's umask leaves of rw for all.
mode_t newFileMode()
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

SaveResult replaceFailure(const QString& reason)
{
    return {false, {}, reason};
}

// Hands the content to the file; `error` gets the system's reason when a write fails.
bool writeContent(int fd, const ContentSource& content, int& error)
{
    return content([fd, &error](std::string_view piece) {
        if (writeAll(fd, piece))
            return true;
        error = errno;
        return false;
    });
}

SaveResult writeInPlace(const QByteArray& target, const ContentSource& content)
{
    Descriptor file(::open(target.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC));
    int error = 0;
    if (file.get() < 0 || !writeContent(file.get(), content, error) || !file.close())
        return replaceFailure(systemReason(error ? error : errno));
    return {true, {}, {}};
}

}  // namespace

std::optional<FileStamp> fileStamp(const QString& path)
{
    struct stat info {};
    if (::stat(QFile::encodeName(path).constData(), &info) != 0)
        return std::nullopt;
    return stampOf(info);
}

QString systemReason(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

QString tooLargeReason(std::size_t limit)
{
    return QStringLiteral("O arquivo tem mais de %1 bytes.").arg(limit);
}

QString outOfMemoryReason()
{
    return QStringLiteral("Não há memória suficiente para ler o arquivo.");
}

bool isReadOnlyFile(const QString& path)
{
    struct stat info {};
    return ::stat(QFile::encodeName(path).constData(), &info) == 0 && hasNoWriteBit(info);
}

bool canOpenForReading(const QString& path)
{
    Descriptor file(::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    return file.get() >= 0;
}

FileContent readRegularFile(const QString& path, std::size_t limit)
{
    // What the path names is looked at before it is opened: opening a pipe
    // would wait for a writer, and a device may never end.
    const QByteArray name = QFile::encodeName(path);
    struct stat before {};
    if (::stat(name.constData(), &before) != 0)
        return readFailure(systemReason(errno));
    if (!S_ISREG(before.st_mode))
        return readFailure(notRegularReason(before));

    Descriptor file(::open(name.constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
    if (file.get() < 0)
        return readFailure(systemReason(errno));
    try {
        for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
            if (::fstat(file.get(), &before) != 0)
                return readFailure(systemReason(errno));
            if (!S_ISREG(before.st_mode))  // replaced between the look and the open
                return readFailure(notRegularReason(before));
            const auto size = static_cast<std::size_t>(before.st_size);
            if (size > limit)
                return readFailure(tooLargeReason(limit));

            std::optional<FileBytes> bytes = readFromStart(file.get(), size, limit);
            if (!bytes)
                return readFailure(systemReason(errno));
            if (bytes->size > limit)
                return readFailure(tooLargeReason(limit));
            struct stat after {};
            if (::fstat(file.get(), &after) != 0)
                return readFailure(systemReason(errno));
            // Some files (those of /proc) report no size: only a change of it counts there.
            const bool wholeAsItWas = stampOf(before) == stampOf(after) && (size == 0 || bytes->size == size);
            if (wholeAsItWas)
                return {std::move(bytes), stampOf(after), {}};
        }
    } catch (const std::bad_alloc&) {
        return readFailure(outOfMemoryReason());
    }
    return readFailure(QStringLiteral("O arquivo mudou enquanto era lido. Tente de novo quando o outro programa "
                                      "terminar de gravá-lo."));
}

SaveResult replaceFile(const QString& path, const ContentSource& content)
{
    struct stat info {};
    bool exists = false;
    int error = 0;
    const std::optional<QByteArray> target = finalTarget(path, info, exists, error);
    if (!target)
        return replaceFailure(systemReason(error));
    if (exists) {
        if (S_ISDIR(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
            return replaceFailure(notRegularReason(info));
        if (hasNoWriteBit(info))
            return replaceFailure(QStringLiteral("O arquivo é somente leitura."));
        // A renamed file would take the place of the device itself.
        if (!S_ISREG(info.st_mode))
            return writeInPlace(*target, content);
    }

    // A short name of its own, so that a target name near the system's limit still has room.
    QByteArray temporary = folderOf(*target) + "/.planora-XXXXXX";
    Descriptor file(::mkostemp(temporary.data(), O_CLOEXEC));
    if (file.get() < 0)
        return replaceFailure(systemReason(errno));
    const auto fail = [&](int reason) {
        ::unlink(temporary.constData());
        return replaceFailure(systemReason(reason));
    };

    if (exists) {
        // Only root may give a file away; anyone else keeps their own ownership.
        if (::fchown(file.get(), info.st_uid, info.st_gid) != 0 && errno != EPERM)
            return fail(errno);
        if (::fchmod(file.get(), info.st_mode & 07777) != 0)
            return fail(errno);
    } else if (::fchmod(file.get(), newFileMode()) != 0) {
        return fail(errno);
    }

    if (!writeContent(file.get(), content, error))
        return fail(error);
    struct stat written {};
    if (::fsync(file.get()) != 0 || ::fstat(file.get(), &written) != 0 || !file.close())
        return fail(errno);
    if (::rename(temporary.constData(), target->constData()) != 0)
        return fail(errno);
    // The new name itself reaches the disk with its folder.
    if (Descriptor folder(::open(folderOf(*target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); folder.get() >= 0)
        ::fsync(folder.get());
    return {true, stampOf(written), {}};
}

}  // namespace modMain
