#pragma once

#include "document/alignment.h"
#include "document/document.h"
#include "document/document_editor.h"

#include <optional>
#include <string>
#include <vector>

// The differences between an earlier state of the file (a version kept, or
// another file) and the document now, entry by entry: groups and entries are
// matched as the merge matches them (see alignment.h), so that a file the
// simulator wrote back in its own order differs in nothing it did not change.
namespace modMain {

struct Difference {
    // A value changed; an entry, or a whole group, only then or only now.
    enum class Kind : std::uint8_t { ValueChanged, EntryOnlyThen, EntryOnlyNow, GroupOnlyThen, GroupOnlyNow };
    Kind kind = Kind::ValueChanged;
    GroupName group;
    std::string name;                 // an entry's
    std::optional<std::string> then;  // an entry's value then, where it was
    std::optional<std::string> now;   // and now
    EntryPosition inThen;             // where it lies then (0 where it does not)
    EntryPosition inNow;              // and now; for an entry only then, its group now
    std::size_t entries = 0;          // a whole group's live entries
};

std::vector<Difference> differences(const Document& then, const Document& now);

// The steps that make the document now as it was then in the differences
// given (found between the two as they are): values set back, entries and
// groups put back or removed. Stores their texts in the document only once
// the whole change is known to fit.
PlannedChange planRestore(Document& now, const Document& then, const std::vector<Difference>& chosen);

}  // namespace modMain
