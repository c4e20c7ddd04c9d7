#pragma once

#include "document/document.h"

#include <cstdint>
#include <functional>
#include <string_view>
#include <vector>

// Which of one document's live groups stand for which of another's, and which
// of one group's live entries for which of another group's: by key (a header,
// a name) and content (a group's entries, an entry's value), as a line diff
// pairs lines. A key that each side holds once pairs at once; among several of
// one key, equal contents pair first, in order, and the n-th occurrence counts
// only where content cannot tell. The merge and the comparison of versions
// both match what they compare so.
namespace modMain {

// The items of one side to pair: the key of each, in order, and their
// contents as hashes, asked for only where keys alone cannot tell.
struct AlignedSide {
    std::vector<std::string_view> keys;
    std::function<std::uint64_t(std::size_t item)> content;
};

// For each item of `from`, the index of its pair in `to`, or -1. Where `to`
// holds fewer of an equal content, the `preferred` items of `from` pair first
// (those the pilot kept, so that two sides that did the same never differ).
std::vector<int> align(const AlignedSide& from, const AlignedSide& to,
                       const std::function<bool(std::size_t item)>& preferred = {});

// The live groups of a document in position order, keyed by header, their
// content their live entries, whatever their order.
struct LiveGroups {
    explicit LiveGroups(const Document& document);
    LiveGroups(const LiveGroups&) = delete;
    LiveGroups& operator=(const LiveGroups&) = delete;

    std::vector<std::int16_t> positions;
    AlignedSide side;
};

// The live entries of a group in position order, keyed by name, their content their value.
struct LiveEntriesOf {
    LiveEntriesOf(const Document& document, int group);
    LiveEntriesOf(const LiveEntriesOf&) = delete;
    LiveEntriesOf& operator=(const LiveEntriesOf&) = delete;

    std::vector<std::int16_t> positions;
    AlignedSide side;
};

// A hash of a group's live entries that does not depend on their order.
std::uint64_t entriesHash(const Document& document, int group);

}  // namespace modMain
