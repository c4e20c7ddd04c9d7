#pragma once

#include "files/file_bytes.h"
#include "files/file_record.h"

#include <QString>

#include <functional>
#include <optional>

// Reading a file: only regular files are read, nothing ever blocks on what a
// path names, every failure carries the system's reason, and another
// program's save is never taken half-way.
namespace files {

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
// changing while it is read is refused. Other programs may write the file
// meanwhile (on Windows it is shared with them): a read they overlap shows in
// the file's state, and is taken again. While another program keeps the file
// open for writing (as a Linux lease tells, or as Windows refuses to open a
// file a writer shares with nobody) the read waits, two seconds at most, for
// it to close it, then says so; a file written in the last two seconds is
// read twice, a moment apart, and taken only when both reads agree.
FileContent readRegularFile(const QString& path, std::size_t limit, const WhileWaiting& whileWaiting = {});

// Whether the file was written so lately that a coarse clock (of one or two
// seconds: FAT's, some network shares') may not tell a later write from it:
// its size and time then say nothing sure of its bytes.
bool writtenLately(const FileState& state);

// Whether the file can be opened for reading; never waits on a pipe.
bool canOpenForReading(const QString& path);

// A file nobody may write (no write permission bit, or the read-only
// attribute); root too is kept off it.
bool isReadOnlyFile(const QString& path);

}  // namespace files
