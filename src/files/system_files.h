#pragma once

#include <QString>

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

#ifndef _WIN32
#include <sys/types.h>
#endif

// The one seam between the file layer and the system: what the layer asks of
// files, implemented once for POSIX (posix/system_files.cpp) and once for
// Windows (windows/system_files.cpp, with the wide calls only). Every
// operation that fails leaves the system's last error (errno, GetLastError)
// for systemReason to put in words.
namespace files {

#ifdef _WIN32
using NativeName = std::wstring;
#else
using NativeName = std::string;
#endif
// The name the system takes for a path: on Windows an absolute one that may
// be longer than MAX_PATH.
NativeName nativeName(const QString& path);

// An open file: a descriptor, or a Windows handle.
using Handle = std::intptr_t;
inline constexpr Handle kNoHandle = -1;

enum class Kind { Regular, Directory, Pipe, Socket, Device };

// A file as the system describes it.
struct FileState {
    Kind kind = Kind::Regular;
    std::uint64_t volume = 0;  // the device, or the volume's serial number
    std::uint64_t index = 0;   // the inode, or the file index
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;  // in the clock of nowNs
    std::int64_t changedNs = 0;   // a change of any kind, which no program can put back
    std::uint32_t links = 1;
    bool readOnly = false;  // nobody may write it (no write bit, or the read-only attribute)
};

// Whether two looks at a file found it as it was: the same file, of the same
// size, written and changed at the same times.
inline bool sameState(const FileState& a, const FileState& b)
{
    return a.volume == b.volume && a.index == b.index && a.size == b.size && a.modifiedNs == b.modifiedNs &&
           a.changedNs == b.changedNs;
}

// The steps a read or a save takes, through one table, so that a test can
// make any of them fail where the system would not on demand (for root, say)
// and see that every failure is told and cleaned up after.
struct SystemCalls {
    // For reading; on Windows sharing it with readers, writers and deleters,
    // so that no other program is ever refused the file meanwhile.
    Handle (*openForReading)(const NativeName& name);
    // For writing the file itself, in place.
    Handle (*openInPlace)(const NativeName& name);
    // A file that must not exist yet, read and write; `asNewFile`: with the
    // permissions a new file gets, else the owner's alone.
    Handle (*createNew)(const NativeName& name, bool asNewFile);
    // Bytes read at `offset`: 0 at the end, below 0 on a failure.
    std::int64_t (*read)(Handle file, char* bytes, std::size_t size, std::int64_t offset);
    // All of `bytes` at `offset`.
    bool (*write)(Handle file, const char* bytes, std::size_t size, std::int64_t offset);
    bool (*flush)(Handle file);
    bool (*truncate)(Handle file, std::int64_t size);
    // Puts the written temporary file in the target's place (over the target
    // when `replacing`; otherwise a file there is left, and the error is that
    // it exists), the target's folder entry on disk too.
    bool (*putInPlace)(const NativeName& temporary, const NativeName& target, bool replacing);
    bool (*close)(Handle file);
#ifndef _WIN32
    // What keeping a file's owner, group, mode and extended attributes takes.
    int (*fchown)(int fd, uid_t owner, gid_t group);
    int (*fchmod)(int fd, mode_t mode);
    ssize_t (*flistxattr)(int fd, char* names, size_t size);
    ssize_t (*fgetxattr)(int fd, const char* name, void* value, size_t size);
    int (*fsetxattr)(int fd, const char* name, const void* value, size_t size, int flags);
#endif
};

// The table the file layer calls through; the system's own steps unless a test changed them.
SystemCalls& systemCalls();

// Follows the links of `path` to the name its content goes to, which need
// not exist yet; `state` gets that file's state where it exists. False, the
// error left, when the path leads nowhere (a loop, a name too long).
bool resolve(const QString& path, QString& target, std::optional<FileState>& state);
bool stateOf(Handle file, FileState& state);
// Whether two names of targets are one name (on Windows letter case aside).
bool sameName(const QString& a, const QString& b);
// Whether the user may write the existing file (the error left when not).
bool mayWrite(const QString& target);
// Gives the new file `copy` what the file it replaces has that a new file
// would not: on POSIX its owner, group, mode and extended attributes (ACLs
// included); on Windows nothing, for putInPlace keeps them. False when it
// cannot: the file is then written in place.
bool keepWhatItHas(Handle original, const FileState& originalState, Handle copy);
bool removeFile(const QString& name);
// The regular files of a folder that are the user's own, with when each was last written.
void forEachOwnFile(const QString& folder,
                    const std::function<void(const QString& name, std::int64_t modifiedNs)>& visit);
// The current time in the clock of the files' times.
std::int64_t nowNs();

// Another program writing a file being read: told of (a Linux lease), or,
// on Windows, left to the file's state to show. Taken: none writes it now.
class WriterWatch {
public:
    enum class Taken { Yes, RefusedForAWriter, NotOffered };
    explicit WriterWatch(Handle file);
    ~WriterWatch();
    WriterWatch(const WriterWatch&) = delete;
    WriterWatch& operator=(const WriterWatch&) = delete;

    Taken take();
    // Whether a program opened the file for writing while it was taken.
    bool broken() const;
    void release();

private:
    Handle file_;
    bool held_ = false;
};

int lastError();
void setLastError(int error);
// The system's words for an error.
QString systemReason(int error);
// The errors that mean: no such file; a file already there; a folder where a file was meant; an
// input or output error; another program holds the file (Windows' sharing
// violation, which a read waits out).
int notFoundError();
int existsError();
int isDirectoryError();
int ioError();
bool isBusy(int error);

}  // namespace files
