#pragma once

#include "document/alignment.h"
#include "document/document.h"

#include <optional>
#include <string>
#include <vector>

// Merging the pilot's edits with a file another program rewrote: every
// change of the pilot's since the file was last read or written (the base) is
// made again on the file as it is now (theirs), and every change of theirs
// stays.
namespace modMain {

// Where the base's slots lie in the document edited since: for each of the
// base's groups in order, the position of its group there, and for each of
// its entries the position of its entry (0 for a slot it no longer has). A
// document read from the file, or saved to it, is its own base, its live
// slots in order.
struct BaseMap {
    std::vector<std::int16_t> groups;
    std::vector<std::uint32_t> firstEntries;  // where each group's entries begin in `entries`
    std::vector<std::int16_t> entries;
};
BaseMap mapOfLiveContent(const Document& document);

// The same entry changed on both sides to different results: two values, a
// removal against a change, a group removed on one side and changed on the
// other. Each side is the entry's value, or nothing where that side removed
// it; where a whole group is at stake, the side that changed the group has an
// empty text.
struct MergeConflict {
    enum class Scope : std::uint8_t { Entry, WholeGroup };
    Scope scope = Scope::Entry;
    GroupName group;                    // as the base names it
    std::string name;                   // an entry's; none for a whole group
    std::optional<std::string> base;    // the entry's value before either side changed it, where it was
    std::optional<std::string> theirs;  // the file's side
    std::optional<std::string> mine;    // the pilot's side
};

// A merged document, and where the slots of theirs (as read) lie in it: the
// base of the next merge with the same file.
struct MergedDocument {
    Document document;
    BaseMap theirs;
};

// A merge worked out whole, before either document changes. Theirs is
// aligned with the base by order and content (see alignment.h); the pilot's
// document is known slot for slot through the base map. Two sides that reach
// the same result are never a conflict: merging a document with itself on
// both sides gives it back.
class MergePlan {
public:
    enum class Outcome { Merged, NothingInCommon };

    // `mine` edited since `base`, as `map` tells; `theirs` the file now.
    MergePlan(const Document& base, Document theirs, const Document& mine, const BaseMap& map);

    Outcome outcome() const { return outcome_; }
    const std::vector<MergeConflict>& conflicts() const { return conflicts_; }

    // Whether the merged document, with the conflicts settled as `mineWins`
    // says (all the pilot's by default), is other than theirs.
    bool changesTheirs(const std::vector<bool>& mineWins = {}) const;

    // The merged document: theirs with the pilot's changes made again, and
    // each conflict settled as `mineWins` says. Nothing where it would hold
    // more live groups, or a group more live entries, than a document can.
    std::optional<MergedDocument> merged(const std::vector<bool>& mineWins = {}) &&;

    // One change made again on theirs.
    struct Step {
        enum class Kind : std::uint8_t { SetValue, RemoveEntry, RemoveGroup, AppendEntry, AppendGroup };
        Kind kind = Kind::SetValue;
        EntryPosition at;                                          // in theirs; for AppendGroup nothing
        std::string text;                                          // the value, the name, or the header
        std::string other;                                         // the appended entry's value
        std::vector<std::pair<std::string, std::string>> entries;  // an appended group's
    };

private:
    class Planner;

    std::vector<const Step*> chosenSteps(const std::vector<bool>& mineWins) const;

    Outcome outcome_ = Outcome::Merged;
    Document theirs_;
    std::vector<Step> steps_;  // made whatever the conflicts' choices
    std::vector<MergeConflict> conflicts_;
    std::vector<std::vector<Step>> conflictSteps_;  // made where the pilot's side wins
};

}  // namespace modMain
