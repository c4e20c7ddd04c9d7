#pragma once

#include "document/merge.h"
#include "files/file_record.h"

#include <memory>

namespace modMain {

// A merge's base: the bytes the file held when it was last read, written or
// merged with, and where their slots lie in the document.
struct MergeBase {
    FileBytes bytes;
    BaseMap map;
};

// What the owner of the open file knows of it: the file as last read,
// written or merged with, and the base of a merge with its next state (none:
// the bytes the document was read from, its first slots).
struct KnownFile {
    QString name;  // the name it was read or written by
    files::FileRecord record;
    std::shared_ptr<const MergeBase> base;

    bool operator==(const KnownFile&) const = default;
};

}  // namespace modMain
