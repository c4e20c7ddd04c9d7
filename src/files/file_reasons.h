#pragma once

#include "files/system_files.h"

#include <QString>

#include <cstddef>

// Why a file is not read or written, in words for the user.
namespace files {

// What a path names when it is no regular file.
QString notRegularReason(Kind kind);
QString readOnlyReason();
// A text longer than `limit` bytes, or more than memory holds.
QString tooLargeReason(std::size_t limit);
QString outOfMemoryReason();
QString changedWhileReadReason();
// Another program kept the file open for writing while the read waited.
QString heldOpenReason();

}  // namespace files
