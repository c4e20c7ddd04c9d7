#pragma once

#include "files/file_record.h"

#include <QString>

#include <functional>
#include <string_view>

// Saving a file: all or nothing, keeping all the file has.
namespace files {

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
// written and flushed, by putting a temporary file in its place (a rename on
// Linux; ReplaceFileW on Windows, which keeps the file's ACL, attributes and
// alternate streams): a failure leaves the file as it was and no temporary
// file behind. A link's target gets the content. On Linux the replaced file
// keeps its owner, group, mode bits, ACLs and extended attributes; where a new
// file could not keep them, or the file has other hard links, it is written
// in place instead, after a whole copy of its old content is kept beside it
// until the new one is on disk (the mark of an unfinished save, should the
// save be cut short: see unfinishedSaveOf). A file the user may not write
// (for root too: one nobody may write, or marked read-only) is refused, as is
// anything but a regular file: a folder, a pipe, a socket, a device. Once a
// save is whole, the copies that earlier saves of the same file cut short left
// are removed, and their temporary files older than ten minutes.
SaveResult replaceFile(const QString& path, const ContentSource& content);

// Puts back, as a save does, the old content that an unfinished save of the
// file `path` leads to left beside it (see unfinishedSaveOf); the copy then goes.
SaveResult restoreUnfinishedSave(const QString& path);

}  // namespace files
