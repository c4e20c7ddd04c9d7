#pragma once

#include "document/document.h"

#include <QString>

#include <functional>
#include <string>
#include <string_view>

namespace modMain {

// Receives the file's bytes piece by piece; false stops the writing.
using ByteSink = std::function<bool(std::string_view)>;

// The file form of the live content: each live header and each live entry as
// name "=" value, every line ended by CR LF, nothing else. Hands it to `sink`
// in pieces of about 64 KB; false when the sink refused one.
bool streamDocument(const Document& document, const ByteSink& sink);

std::string documentBytes(const Document& document);

struct SaveResult {
    bool saved = false;
    QString error;  // why not, in words for the user
};

// Replaces the file at `path` only once every byte has been written and
// flushed; on failure the file is as it was and no temporary file remains.
// A symbolic link stays a link, its target gets the content, and the target's
// permission bits are kept. A file without any write permission bit is refused.
SaveResult saveDocument(const Document& document, const QString& path);

}  // namespace modMain
