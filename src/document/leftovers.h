#pragma once

#include "document/open_file.h"

#include <QString>

// The temporary files of a save, beside the file they are for, and the
// removal of those that a save cut short left behind.
namespace modMain::leftovers {

// Creates a temporary file beside `target` ("-" for the new content,
// "-copia-" for a copy of the old), under a name of its own that `name` gets;
// `asNewFile`: with the permissions a new file gets.
files::OpenFile createBeside(const QString& target, const char* kind, bool asNewFile, QString& name);

// Removes the temporary files of earlier saves of `target` (not copies of old
// content) that were cut short: the user's own, untouched for ten minutes.
void removeFor(const QString& target);

// The folder a target lies in, with its last separator.
QString folderOf(const QString& target);

}  // namespace modMain::leftovers
