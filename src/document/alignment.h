#pragma once

#include "document/document.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
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

struct AlignedSide;

// A side's items sorted by their key's hash and key (ties by position), so
// that the items of one key lie together: the largest document's thirty
// thousand headers take no map and few comparisons of text.
struct KeyOrder {
    explicit KeyOrder(const std::vector<std::string_view>& keys);

    // How the keys of two items of two sides sort: below, equal or above 0.
    static int compare(const AlignedSide& x, std::size_t a, const AlignedSide& y, std::size_t b);
    // The end of the run of items of the key of order[start].
    std::size_t runEnd(const AlignedSide& side, std::size_t start) const;

    std::vector<std::size_t> hashes;
    std::vector<std::size_t> order;
};

// The items of one side to pair: the key of each, in order, and their
// contents as hashes, asked for only where keys alone cannot tell.
struct AlignedSide {
    std::vector<std::string_view> keys;
    std::function<std::uint64_t(std::size_t item)> content;

    // The items by key, made the first time they are asked for.
    const KeyOrder& order() const;

private:
    mutable std::shared_ptr<const KeyOrder> order_;
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

// A group as a table names it: its header, and, where the header is
// repeated, which of its groups it is.
struct GroupName {
    std::string header;
    int occurrence = 0;  // from 0, among the live groups carrying the header
    int count = 1;       // how many live groups carry it
};

// The name of each of the live groups, in their order.
std::vector<GroupName> groupNames(const LiveGroups& groups);

// Whether two groups hold the same live entries in the same order.
bool sameLiveEntries(const Document& a, int groupA, const Document& b, int groupB);

// A hash of a group's live entries that does not depend on their order.
std::uint64_t entriesHash(const Document& document, int group);

}  // namespace modMain
