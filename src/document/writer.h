#pragma once

#include "document/document.h"
#include "files/file_saving.h"

#include <QString>

#include <optional>
#include <string>

namespace modMain {

// The file form of the live content: each live header and each live entry as
// name "=" value, every line ended by CR LF, nothing else. Hands it to `sink`
// in pieces of about 64 KB; false when the sink refused one.
bool streamDocument(const Document& document, const files::ByteSink& sink);

std::string documentBytes(const Document& document);

// Writes the live content to `path` as replaceFile does: all or nothing.
// `written`, when given, gets the bytes written too (nothing without the
// memory for them, which the save does not wait on).
files::SaveResult saveDocument(const Document& document, const QString& path,
                               std::optional<FileBytes>* written = nullptr);

}  // namespace modMain
