#pragma once

#include "files/temporary_file.h"

#include <QString>

#include <optional>

// The temporary files of a save, beside the file they are for, and the
// removal of those that a save cut short left behind.
namespace files {

// The random letters that end a temporary file's name.
inline constexpr int kLeftoverMarkLength = 6;

// What the names of a target's temporary files of this kind start with: its
// folder, then a short mark of its name, so that they are told from those of
// other files and still leave room for the longest name.
QString leftoverPrefix(const QString& target, TemporaryFile::Holds holds);

// Removes the temporary files of earlier saves of `target` (not copies of old
// content) that were cut short: the user's own, untouched for ten minutes.
void removeLeftoversOf(const QString& target);

// A save that wrote over the file itself and was cut short (the program
// killed, the machine off) leaves a whole copy of the file's old content
// beside it: the newest such copy of the file `path` leads to, the user's
// own, or nothing.
std::optional<QString> unfinishedSaveOf(const QString& path);
void removeUnfinishedSavesOf(const QString& target);

}  // namespace files
