#pragma once

#include "files/system_files.h"

#include <QString>

#include <cstdint>
#include <optional>

// The record of a file as it was read or written, by which another program's
// change to it is never missed.
namespace files {

// Which file it was (volume and index: the device and inode on Linux), its
// size, modification time and time of its last change of any kind, and a
// hash of its bytes.
struct FileStamp {
    std::uint64_t volume = 0;
    std::uint64_t index = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;
    std::uint64_t contentHash = 0;

    bool operator==(const FileStamp&) const = default;
};

FileStamp stampOf(const FileState& state, std::uint64_t contentHash);

// Whether the file, as the system describes it now, is surely the one
// stamped, without a look at its bytes: the same file, size and times, the
// time of its last change of any kind included (which no program can put
// back), and written long enough ago that a coarse clock would have told a
// later write.
bool surelyAsStamped(const FileState& state, const FileStamp& stamp);

// The file a window last read or wrote: the name its content lives under
// (links followed) and the file as it was then.
struct FileRecord {
    QString target;
    FileStamp stamp;

    bool operator==(const FileRecord&) const = default;
};

// The hash of the bytes of the file `target` names, or nothing when it cannot be read.
std::optional<std::uint64_t> contentHashOf(const QString& target);

// What a path leads to, measured against a record: another file than the
// recorded one, the recorded file as it was, or the recorded file changed
// since (written over, or another file put in its place). The recorded file
// is found whatever name leads to it; one that has gone counts as it was.
// When its size and modification time are as recorded, its bytes are read and
// decide: times can be put back and coarse clocks miss a quick change, while a
// change of owner or mode bits alone changes no byte.
enum class OnDisk { Elsewhere, AsRecorded, Changed };
OnDisk compareWithDisk(const FileRecord& record, const QString& path);

}  // namespace files
