#pragma once

#include "document/document.h"

#include <QByteArray>
#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

// How the program touches files: only regular files are read, nothing ever
// blocks on what a path names, every failure carries the system's reason, and
// another program's change to a file is never missed.
namespace modMain {

// A file as it was read or written: which file it was (device and inode), its
// size and modification time, and a hash of its bytes.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;
    std::uint64_t contentHash = 0;

    bool operator==(const FileStamp&) const = default;
};

// The file a window last read or wrote: the name its content lives under
// (symbolic links followed) and the file as it was then.
struct FileRecord {
    QByteArray target;
    FileStamp stamp;
};

// What a path leads to, measured against a record: another file than the
// recorded one, the recorded file as it was, or the recorded file changed
// since (written over, or another file put in its place). The recorded file
// is found whatever name leads to it; one that has gone counts as it was.
// When its size and modification time are as recorded, its bytes are read and
// decide: times can be put back and coarse clocks miss a quick change, while a
// change of owner or mode bits alone changes no byte.
enum class OnDisk { Elsewhere, AsRecorded, Changed };
OnDisk compareWithDisk(const FileRecord& record, const QString& path);

// The system's words for an errno value.
QString systemReason(int error);

// Why a text is not read: longer than `limit` bytes, or more than memory holds.
QString tooLargeReason(std::size_t limit);
QString outOfMemoryReason();
QString changedWhileReadReason();

// A file whose permission bits allow nobody to write it; root too is kept off it.
bool isReadOnlyFile(const QString& path);

// Whether the file can be opened for reading; never waits on a pipe.
bool canOpenForReading(const QString& path);

// Called, now and then, while a read waits for another program to finish
// writing the file, so that a window can go on answering.
using WhileWaiting = std::function<void()>;

struct FileContent {
    std::optional<FileBytes> bytes;  // the whole file, when it could be read
    FileRecord record;               // the file as it was read
    QString error;                   // otherwise why not, in words for the user
};

// Reads a regular file whole, of at most `limit` bytes: anything else, a file
// over the limit (told from its size before a byte is read) or one that keeps
// changing while it is read is refused. Another program's save is never read
// half-way: where the system tells that the file is open for writing, the read
// waits (two seconds at most) for it to be closed, and a file written in the
// last two seconds is read twice, a moment apart, and taken only when both
// reads agree.
FileContent readRegularFile(const QString& path, std::size_t limit, const WhileWaiting& whileWaiting = {});

// Receives a file's bytes piece by piece; false stops the writing.
using ByteSink = std::function<bool(std::string_view)>;
// Hands the whole content to the sink; false when the sink refused a piece.
using ContentSource = std::function<bool(const ByteSink&)>;

struct SaveResult {
    bool saved = false;
    FileRecord record;  // the file as written
    QString error;      // otherwise why not, in words for the user
};

// Replaces the file at `path` with the content only once every byte has been
// written and flushed, by renaming a temporary file over it: a failure leaves
// the file as it was and no temporary file behind. A symbolic link stays a
// link and its target gets the content. The replaced file keeps its owner,
// group, mode bits, ACLs and extended attributes; where a new file could not
// keep them, or the file has other hard links, it is written in place instead,
// after a copy of its old content is kept beside it until the new one is on
// disk. A file the user may not write (by its permission bits, for root too)
// is refused, as are a directory, a pipe and a socket; a device is written in
// place. Temporary files of earlier saves of the same file that were cut short
// (older than ten minutes) are removed.
SaveResult replaceFile(const QString& path, const ContentSource& content);

}  // namespace modMain
