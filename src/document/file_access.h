#pragma once

#include "document/document.h"

#include <QString>

#include <cstdint>
#include <functional>
#include <optional>
#include <string_view>

// How the program touches files: only regular files are read, nothing ever
// blocks on what a path names, and every failure carries the system's reason.
namespace modMain {

// Enough of a file's state to tell that another program has written it since:
// a rewrite changes the size or the modification time, a replacement the identity.
struct FileStamp {
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t size = 0;
    std::int64_t modifiedNs = 0;

    bool operator==(const FileStamp&) const = default;
};

// The stamp of the file at `path` (links followed), or nothing when there is none.
std::optional<FileStamp> fileStamp(const QString& path);

// The system's words for an errno value.
QString systemReason(int error);

// Why a text is not read: longer than `limit` bytes, or more than memory holds.
QString tooLargeReason(std::size_t limit);
QString outOfMemoryReason();

// A file whose permission bits allow nobody to write it; root too is kept off it.
bool isReadOnlyFile(const QString& path);

// Whether the file can be opened for reading; never waits on a pipe.
bool canOpenForReading(const QString& path);

struct FileContent {
    std::optional<FileBytes> bytes;  // the whole file, when it could be read
    FileStamp stamp;                 // the file as it was read
    QString error;                   // otherwise why not, in words for the user
};

// Reads a regular file whole, of at most `limit` bytes: anything else, a file
// over the limit (told from its size before a byte is read) or one that keeps
// changing while it is read is refused.
FileContent readRegularFile(const QString& path, std::size_t limit);

// Receives a file's bytes piece by piece; false stops the writing.
using ByteSink = std::function<bool(std::string_view)>;
// Hands the whole content to the sink; false when the sink refused a piece.
using ContentSource = std::function<bool(const ByteSink&)>;

struct SaveResult {
    bool saved = false;
    FileStamp stamp;  // the file as written
    QString error;    // otherwise why not, in words for the user
};

// Replaces the file at `path` with the content only once every byte has been
// written and flushed, by renaming a temporary file over it: a failure leaves
// the file as it was and no temporary file behind. A symbolic link stays a
// link and its target gets the content; the replaced file's owner, group and
// mode bits are kept. A file nobody may write, a directory, a pipe or a socket
// is refused; a device is written in place.
SaveResult replaceFile(const QString& path, const ContentSource& content);

}  // namespace modMain
