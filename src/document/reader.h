#pragma once

#include "document/document.h"
#include "files/file_reading.h"

#include <QString>

#include <optional>

namespace modMain {

struct ReadResult {
    std::optional<Document> document;  // the file's document, when it loaded
    QString error;                     // otherwise why not, in words for the user
    files::FileRecord record;          // the file as it was read
};

// Why a line (counted from 1) is refused: neither empty, nor a header, nor an entry.
QString unreadableLineReason(std::size_t lineNumber);

// Reads a configuration text in one pass. Every line must be empty, a header,
// or an entry of a group: anything else fails the whole read, naming the
// 1-based line, so that no content is ever dropped silently.
ReadResult parseDocument(FileBytes bytes);

// Reads the regular file at `path`; the system's reason when it cannot be read.
ReadResult readDocument(const QString& path, const files::WhileWaiting& whileWaiting = {});

}  // namespace modMain
