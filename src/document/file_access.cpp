#include "document/file_access.h"

#include "document/system_calls.h"

#include "document/content_hash.h"

#include <QFile>
#include <QRandomGenerator>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <climits>
#include <cstring>
#include <new>
#include <thread>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>

namespace modMain {

SystemCalls& systemCalls()
{
    static SystemCalls calls{
        [](const char* path, int flags, mode_t mode) { return ::open(path, flags, mode); },
        ::pread,
        ::write,
        ::fsync,
        ::ftruncate,
        ::fchown,
        ::fchmod,
        ::flistxattr,
        ::fgetxattr,
        ::fsetxattr,
        ::rename,
        ::close,
    };
    return calls;
}

namespace {

using namespace std::chrono_literals;

// A file that changes while it is read is read again this many times at most.
constexpr int kReadAttempts = 5;
// How long a read waits for another program to close the file it writes.
constexpr auto kWriterWait = 2s;
// A file written this recently may still be being written: it is read twice.
constexpr auto kRecent = 2s;
constexpr auto kSecondReadPause = 200ms;

// Symbolic links followed before a chain counts as a loop, as the kernel does.
constexpr int kMaxLinkHops = 40;

// Temporary files of a save cut short are removed when they are this old.
constexpr auto kLeftoverAge = 10min;

std::int64_t nanoseconds(const timespec& time)
{
    return static_cast<std::int64_t>(time.tv_sec) * 1'000'000'000 + time.tv_nsec;
}

FileStamp stampOf(const struct stat& info, std::uint64_t contentHash)
{
    return {static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino),
            static_cast<std::int64_t>(info.st_size), nanoseconds(info.st_mtim), contentHash};
}

bool sameFile(const struct stat& info, const FileStamp& stamp)
{
    return static_cast<std::uint64_t>(info.st_dev) == stamp.device &&
           static_cast<std::uint64_t>(info.st_ino) == stamp.inode;
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
            systemCalls().close(fd_);
    }

    int get() const { return fd_; }
    // Closes now, so that a failure to close can be told.
    bool close()
    {
        const int fd = fd_;
        fd_ = -1;
        return systemCalls().close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes)
{
    while (!bytes.empty()) {
        const ssize_t written = systemCalls().write(fd, bytes.data(), bytes.size());
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
// `limit` bytes, hashing the bytes piece by piece as they come in, while they
// are still in the processor's cache. Nothing when a read fails (errno tells why).
std::optional<FileBytes> readFromStart(int fd, std::size_t expected, std::size_t limit, ContentHash& hash)
{
    constexpr std::size_t kPiece = 256 * 1024;
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
        char* const piece = bytes.data.get() + bytes.size;
        const ssize_t got = systemCalls().pread(fd, piece, std::min(kPiece, capacity - bytes.size),
                                                static_cast<off_t>(bytes.size));
        if (got < 0) {
            if (errno == EINTR)
                continue;
            return std::nullopt;
        }
        if (got == 0)
            return bytes;
        hash.add({piece, static_cast<std::size_t>(got)});
        bytes.size += static_cast<std::size_t>(got);
    }
}

// Hands every byte of the file, from its start, to `take`; false when a read fails.
template <typename Take>
bool readThrough(int fd, Take&& take)
{
    constexpr std::size_t kPiece = 1 << 20;
    const auto piece = std::make_unique_for_overwrite<char[]>(kPiece);
    for (off_t offset = 0;;) {
        const ssize_t got = systemCalls().pread(fd, piece.get(), kPiece, offset);
        if (got < 0 && errno == EINTR)
            continue;
        if (got <= 0)
            return got == 0;
        if (!take(std::string_view(piece.get(), static_cast<std::size_t>(got))))
            return false;
        offset += got;
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

// Waits a moment, letting the window answer meanwhile.
void pause(std::chrono::milliseconds length, const WhileWaiting& whileWaiting)
{
    const auto until = std::chrono::steady_clock::now() + length;
    while (std::chrono::steady_clock::now() < until) {
        if (whileWaiting)
            whileWaiting();
        std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(
            10ms, std::max<std::chrono::steady_clock::duration>(until - std::chrono::steady_clock::now(), 0ms)));
    }
}

// A read lease: the system refuses it while another program has the file open
// for writing, and breaks it when one opens it so while the lease is held.
// Only the file's owner gets one, and only on a local file system.
class ReadLease {
public:
    enum class Taken { Yes, RefusedForAWriter, NotOffered };

    explicit ReadLease(int fd)
        : fd_(fd)
    {
        // A lease being broken is signalled with SIGIO, which the program
        // ignores from its start; the lease's state is asked for instead.
    }
    ~ReadLease() { release(); }

    Taken take()
    {
        if (::fcntl(fd_, F_SETLEASE, F_RDLCK) == 0) {
            held_ = true;
            return Taken::Yes;
        }
        return errno == EAGAIN ? Taken::RefusedForAWriter : Taken::NotOffered;
    }

    // Whether a program opened the file for writing while the lease was held.
    bool broken() const { return held_ && ::fcntl(fd_, F_GETLEASE) != F_RDLCK; }

    void release()
    {
        if (held_)
            ::fcntl(fd_, F_SETLEASE, F_UNLCK);
        held_ = false;
    }

private:
    int fd_;
    bool held_ = false;
};

// The current time as the file system stamps files.
std::int64_t nowNs()
{
    timespec now{};
    ::clock_gettime(CLOCK_REALTIME, &now);
    return nanoseconds(now);
}

// Reads the open file whole, as it stands when no program is writing it.
FileContent readWhole(int fd, const QByteArray& target, std::size_t limit, const WhileWaiting& whileWaiting)
{
    ReadLease lease(fd);
    // A file written a moment ago as a first read found it, its bytes' hash
    // included; none yet while all zero (no file has inode 0).
    FileStamp earlier;
    for (int attempt = 0; attempt < kReadAttempts; ++attempt) {
        // Another program writing the file: wait for it to close it.
        ReadLease::Taken taken = lease.take();
        for (auto waited = 0ms; taken == ReadLease::Taken::RefusedForAWriter && waited < kWriterWait; waited += 50ms) {
            pause(50ms, whileWaiting);
            taken = lease.take();
        }
        if (taken == ReadLease::Taken::RefusedForAWriter)
            break;

        struct stat before {};
        if (::fstat(fd, &before) != 0)
            return readFailure(systemReason(errno));
        if (!S_ISREG(before.st_mode))  // replaced between the look and the open
            return readFailure(notRegularReason(before));
        const auto size = static_cast<std::size_t>(before.st_size);
        if (size > limit)
            return readFailure(tooLargeReason(limit));
        ContentHash hash;
        std::optional<FileBytes> bytes = readFromStart(fd, size, limit, hash);
        if (!bytes)
            return readFailure(systemReason(errno));
        if (bytes->size > limit)
            return readFailure(tooLargeReason(limit));
        struct stat after {};
        if (::fstat(fd, &after) != 0)
            return readFailure(systemReason(errno));
        const bool writtenMeanwhile = lease.broken();
        lease.release();

        // Some files (those of /proc) report no size: they are made as they are
        // read, by no other program, and only a change of their size counts.
        const bool generated = size == 0 && bytes->size > 0;
        // A writer may put the modification time back; the time of the last
        // change of any kind it cannot.
        const bool touched = stampOf(before, 0) != stampOf(after, 0) ||
                             nanoseconds(before.st_ctim) != nanoseconds(after.st_ctim);
        if (touched || writtenMeanwhile || (!generated && bytes->size != size)) {
            earlier = {};
            continue;
        }
        const FileStamp stamp = stampOf(after, hash.value());
        // Read twice, a file written a moment ago is taken only when nothing about it moved in between.
        const bool recent = !generated &&
                            nowNs() - nanoseconds(after.st_mtim) < std::chrono::nanoseconds(kRecent).count();
        if (recent && earlier != stamp) {
            earlier = stamp;
            bytes.reset();
            pause(kSecondReadPause, whileWaiting);
            continue;
        }
        return {std::move(bytes), {target, stamp}, {}};
    }
    return readFailure(changedWhileReadReason());
}

// A short mark of a file's name for the temporary files of its saves, so that
// they are told from those of other files and still leave room for the longest
// name.
QByteArray saveTag(const QByteArray& target)
{
    const QByteArray name = target.mid(target.lastIndexOf('/') + 1);
    const auto hash = static_cast<std::uint32_t>(hashOf({name.constData(), std::size_t(name.size())}));
    return QByteArray::number(hash, 16).rightJustified(8, '0');
}

QByteArray temporaryPattern(const QByteArray& target, const char* kind)
{
    return folderOf(target) + "/.planora-" + saveTag(target) + kind + "XXXXXX";
}

// Removes the temporary files of this file's earlier saves that a crash cut short.
void removeLeftovers(const QByteArray& target)
{
    const QByteArray folder = folderOf(target);
    const QByteArray prefix = ".planora-" + saveTag(target) + '-';
    DIR* entries = ::opendir(folder.constData());
    if (!entries)
        return;
    const std::int64_t oldest = nowNs() - std::chrono::nanoseconds(kLeftoverAge).count();
    while (const dirent* entry = ::readdir(entries)) {
        const QByteArray name(entry->d_name);
        if (!name.startsWith(prefix) || name.size() != prefix.size() + 6)
            continue;
        const QByteArray path = folder + '/' + name;
        struct stat info {};
        if (::lstat(path.constData(), &info) == 0 && S_ISREG(info.st_mode) && info.st_uid == ::geteuid() &&
            nanoseconds(info.st_mtim) < oldest)
            ::unlink(path.constData());
    }
    ::closedir(entries);
}

// Creates a file of a name made from `pattern`, its last six characters
// chosen afresh until the name is free; `pattern` gets the name. The system
// gives it `mode` as the process's umask leaves it.
int createTemporary(QByteArray& pattern, mode_t mode)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        for (qsizetype i = pattern.size() - 6; i < pattern.size(); ++i)
            pattern[i] = kLetters[QRandomGenerator::global()->bounded(int(sizeof kLetters - 1))];
        const int fd = systemCalls().open(pattern.constData(), O_RDWR | O_CREAT | O_EXCL | O_NOCTTY | O_CLOEXEC, mode);
        if (fd >= 0 || errno != EEXIST)
            return fd;
    }
    return -1;
}

SaveResult replaceFailure(int error)
{
    return {false, {}, systemReason(error)};
}

// Hands the content to the file, hashing it; `error` gets the system's reason when a write fails.
bool writeContent(int fd, const ContentSource& content, ContentHash& hash, int& error)
{
    return content([fd, &hash, &error](std::string_view piece) {
        hash.add(piece);
        if (writeAll(fd, piece))
            return true;
        error = errno;
        return false;
    });
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

// Writes the content over the file itself, keeping the file and all it has:
// its old content is copied beside it first, and removed once the new content
// is on disk; should the writing fail, the old content is put back.
SaveResult writeKeepingCopy(const QByteArray& target, const ContentSource& content)
{
    const SystemCalls& calls = systemCalls();
    Descriptor file(calls.open(target.constData(), O_RDWR | O_NOCTTY | O_CLOEXEC, 0));
    if (file.get() < 0)
        return replaceFailure(errno);
    QByteArray copyName = temporaryPattern(target, "-copia-");
    Descriptor copy(createTemporary(copyName, 0600));
    if (copy.get() < 0)
        return replaceFailure(errno);
    const auto fail = [&](int error) {
        ::unlink(copyName.constData());
        return replaceFailure(error);
    };
    if (!readThrough(file.get(), [&](std::string_view piece) { return writeAll(copy.get(), piece); }) ||
        calls.fsync(copy.get()) != 0)
        return fail(errno);

    ContentHash hash;
    int error = 0;
    const auto written = [&] {
        if (!writeContent(file.get(), content, hash, error))
            return false;
        const off_t end = ::lseek(file.get(), 0, SEEK_CUR);
        if (end < 0 || calls.ftruncate(file.get(), end) != 0 || calls.fsync(file.get()) != 0) {
            error = errno;
            return false;
        }
        return true;
    };
    if (::lseek(file.get(), 0, SEEK_SET) != 0 || !written()) {
        // The old content goes back; where even that fails, its copy stays beside the file.
        ::lseek(file.get(), 0, SEEK_SET);
        ::lseek(copy.get(), 0, SEEK_SET);
        const bool restored = readThrough(copy.get(),
                                          [&](std::string_view piece) { return writeAll(file.get(), piece); }) &&
                              calls.ftruncate(file.get(), ::lseek(file.get(), 0, SEEK_CUR)) == 0 &&
                              calls.fsync(file.get()) == 0;
        if (restored)
            ::unlink(copyName.constData());
        return replaceFailure(error ? error : EIO);
    }
    struct stat info {};
    if (::fstat(file.get(), &info) != 0 || !file.close())
        return fail(errno);
    ::unlink(copyName.constData());
    return {true, {target, stampOf(info, hash.value())}, {}};
}

// A device is written as it is: there is no file to replace.
SaveResult writeDevice(const QByteArray& target, const ContentSource& content)
{
    Descriptor file(systemCalls().open(target.constData(), O_WRONLY | O_NOCTTY | O_CLOEXEC, 0));
    ContentHash hash;
    int error = 0;
    if (file.get() < 0 || !writeContent(file.get(), content, hash, error) || !file.close())
        return replaceFailure(error ? error : errno);
    return {true, {}, {}};
}

}  // namespace

OnDisk compareWithDisk(const FileRecord& record, const QString& path)
{
    struct stat info {};
    bool exists = false;
    int error = 0;
    const std::optional<QByteArray> target = finalTarget(path, info, exists, error);
    if (!target || record.target.isEmpty())
        return OnDisk::Elsewhere;
    const bool recordedName = *target == record.target;
    if (!exists)
        return recordedName ? OnDisk::AsRecorded : OnDisk::Elsewhere;  // gone: simply written again
    if (!sameFile(info, record.stamp))
        return recordedName ? OnDisk::Changed : OnDisk::Elsewhere;
    if (stampOf(info, record.stamp.contentHash) != record.stamp)
        return OnDisk::Changed;
    Descriptor file(systemCalls().open(target->constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    ContentHash hash;
    if (file.get() < 0 || !readThrough(file.get(), [&](std::string_view piece) {
            hash.add(piece);
            return true;
        }))
        return OnDisk::Changed;
    return hash.value() == record.stamp.contentHash ? OnDisk::AsRecorded : OnDisk::Changed;
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

QString changedWhileReadReason()
{
    return QStringLiteral("O arquivo mudou enquanto era lido. Tente de novo quando o outro programa terminar de "
                          "gravá-lo.");
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

FileContent readRegularFile(const QString& path, std::size_t limit, const WhileWaiting& whileWaiting)
{
    // What the path names is looked at before it is opened: opening a pipe
    // would wait for a writer, and a device may never end.
    struct stat info {};
    bool exists = false;
    int error = 0;
    const std::optional<QByteArray> target = finalTarget(path, info, exists, error);
    if (!target || !exists)
        return readFailure(systemReason(target ? ENOENT : error));
    if (!S_ISREG(info.st_mode))
        return readFailure(notRegularReason(info));

    Descriptor file(systemCalls().open(target->constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
    if (file.get() < 0)
        return readFailure(systemReason(errno));
    try {
        return readWhole(file.get(), *target, limit, whileWaiting);
    } catch (const std::bad_alloc&) {
        return readFailure(outOfMemoryReason());
    }
}

SaveResult replaceFile(const QString& path, const ContentSource& content)
{
    const SystemCalls& calls = systemCalls();
    struct stat info {};
    bool exists = false;
    int error = 0;
    const std::optional<QByteArray> target = finalTarget(path, info, exists, error);
    if (!target)
        return replaceFailure(error);
    if (exists) {
        if (S_ISDIR(info.st_mode) || S_ISFIFO(info.st_mode) || S_ISSOCK(info.st_mode))
            return {false, {}, notRegularReason(info)};
        if (hasNoWriteBit(info))
            return {false, {}, QStringLiteral("O arquivo é somente leitura.")};
        // Only who may write the file replaces it, whoever may write its folder.
        if (::access(target->constData(), W_OK) != 0)
            return replaceFailure(errno);
        if (!S_ISREG(info.st_mode))
            return writeDevice(*target, content);
        removeLeftovers(*target);
        // A new file would leave the other names of the old one behind.
        if (info.st_nlink > 1)
            return writeKeepingCopy(*target, content);
    }

    // A new file gets read and write for all that the umask leaves; one that
    // replaces a file gets that file's mode once it is known to keep it.
    QByteArray temporary = temporaryPattern(*target, "-");
    Descriptor file(createTemporary(temporary, exists ? 0600 : 0666));
    if (file.get() < 0)
        return replaceFailure(errno);
    const auto fail = [&](int reason) {
        ::unlink(temporary.constData());
        return replaceFailure(reason);
    };

    if (exists) {
        // Only root may give a file away, and anyone else only to a group of
        // their own; a new file that cannot keep what the old one has is not
        // made: the old one is written in place.
        Descriptor original(calls.open(target->constData(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0));
        if (original.get() < 0)
            return fail(errno);
        struct stat made {};
        const bool keepsAll = (calls.fchown(file.get(), info.st_uid, info.st_gid) == 0 || errno == EPERM) &&
                              ::fstat(file.get(), &made) == 0 && made.st_uid == info.st_uid &&
                              made.st_gid == info.st_gid && calls.fchmod(file.get(), info.st_mode & 07777) == 0 &&
                              copyAttributes(original.get(), file.get());
        if (!keepsAll) {
            ::unlink(temporary.constData());
            return writeKeepingCopy(*target, content);
        }
    }

    ContentHash hash;
    if (!writeContent(file.get(), content, hash, error))
        return fail(error);
    struct stat written {};
    if (calls.fsync(file.get()) != 0 || ::fstat(file.get(), &written) != 0 || !file.close())
        return fail(errno);
    if (calls.rename(temporary.constData(), target->constData()) != 0)
        return fail(errno);
    // The new name itself reaches the disk with its folder.
    if (Descriptor folder(::open(folderOf(*target).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)); folder.get() >= 0)
        calls.fsync(folder.get());
    return {true, {*target, stampOf(written, hash.value())}, {}};
}

}  // namespace modMain
