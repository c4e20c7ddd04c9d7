#include "document/document.h"

#include "document_support.h"

#include <gtest/gtest.h>

namespace modMain {
namespace {

using testing::parsed;
using Positions = std::vector<std::int16_t>;

std::vector<EntryPosition> positionsOf(const std::vector<LiveEntry>& entries)
{
    std::vector<EntryPosition> positions;
    for (const LiveEntry& entry : entries)
        positions.push_back(entry.at);
    return positions;
}

TEST(DocumentModel, FindsLiveGroupsAndEntriesByExactText)
{
    Document document = parsed("[g]\r\nAB=0\r\nA=1\r\nA=2\r\nA =3\r\na=4\r\n[G]\r\n[g]\r\nA=5\r\n[g ]\r\n[g]\r\n");
    EXPECT_EQ(document.findLiveGroups("[g]"), (Positions{1, 3, 5}));
    EXPECT_EQ(document.findLiveGroups("[G]"), (Positions{2}));
    EXPECT_TRUE(document.findLiveGroups("g").empty());
    EXPECT_TRUE(document.findLiveGroups("").empty());
    EXPECT_EQ(positionsOf(document.liveEntriesOf("[g]")),
              (std::vector<EntryPosition>{{1, 1}, {1, 2}, {1, 3}, {1, 4}, {1, 5}, {3, 1}}));

    // Removal only clears a live flag: nothing moves, and the removed are never found.
    document.removeEntry({1, 2});
    EXPECT_FALSE(document.isLive({1, 2}));
    EXPECT_TRUE(document.isLive({1, 3}));
    EXPECT_FALSE(document.isLive({1, 6}) || document.isLive({6, 1}) || document.isLive({0, 1}));
    document.removeGroup(1);
    EXPECT_EQ(document.GroupCount(), 5);
    EXPECT_EQ(document.group(1).EntryCount(), 5);
    EXPECT_FALSE(document.isLive({1, 3}) || document.isLiveGroup(1));
    EXPECT_EQ(document.findLiveGroups("[g]"), (Positions{3, 5}));
    EXPECT_EQ(positionsOf(document.liveEntriesOf("[g]")), (std::vector<EntryPosition>{{3, 1}}));
    EXPECT_TRUE(testing::liveContent(Document()).empty());
}

}  // namespace
}  // namespace modMain
