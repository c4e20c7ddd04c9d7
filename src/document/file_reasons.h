#pragma once

#include "document/system_files.h"

#include <QString>

#include <cstddef>

// Why a file is not read or written, in words for the user.
namespace modMain {

QString systemReason(int error);
// What a path names when it is no regular file.
QString notRegularReason(files::Kind kind);
QString readOnlyReason();
// A text longer than `limit` bytes, or more than memory holds.
QString tooLargeReason(std::size_t limit);
QString outOfMemoryReason();
QString changedWhileReadReason();

}  // namespace modMain
