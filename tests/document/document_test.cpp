#include "document/document.h"

#include "document_support.h"

#include <gtest/gtest.h>

namespace modMain {
namespace {

using testing::liveContent;
using testing::parsed;
using Content = std::vector<std::string>;
using Positions = std::vector<std::int16_t>;

TEST(DocumentModel, AppendsAtTheEndAndRemovesOnlyByLiveFlags)
{
    EXPECT_TRUE(liveContent(Document()).empty());

    Document document = parsed("[a]\r\nx=1\r\nx=2\r\n[b]\r\ny=3\r\n");
    EXPECT_EQ(document.AppendEntry(1, " x ", "v=w"), 3);
    EXPECT_EQ(document.AppendGroup("[a]"), 3);
    EXPECT_EQ(document.AppendEntry(3, "", ""), 1);
    document.SetValue(1, 2, "");
    document.RemoveEntry(1, 1);
    document.RemoveGroup(2);
    EXPECT_EQ(document.GroupCount(), 3);
    EXPECT_EQ(document.Group(1).EntryCount(), 3);
    EXPECT_EQ(liveContent(document), (Content{"H [a]", "E x | ", "E  x  | v=w", "H [a]", "E  | "}));

    // A live group whose entries are all removed is walked alone.
    document.RemoveEntry(1, 2);
    document.RemoveEntry(1, 3);
    EXPECT_EQ(liveContent(document), (Content{"H [a]", "H [a]", "E  | "}));
}

TEST(DocumentModel, FindsLiveGroupsAndEntriesByExactText)
{
    Document document = parsed("[g]\r\nAB=0\r\nA=1\r\nA=2\r\nA =3\r\na=4\r\n[G]\r\n[g]\r\n[g ]\r\n");
    EXPECT_EQ(document.FindLiveGroups("[g]"), (Positions{1, 3}));
    EXPECT_EQ(document.FindLiveGroups("[G]"), (Positions{2}));
    EXPECT_TRUE(document.FindLiveGroups("g").empty());
    EXPECT_TRUE(document.FindLiveGroups("").empty());
    EXPECT_EQ(document.FindLiveEntry(1, "A"), 2);  // "AB" before it only begins with it
    EXPECT_EQ(document.FindLiveEntry(1, "A "), 4);
    EXPECT_EQ(document.FindLiveEntry(1, "a"), 5);
    EXPECT_EQ(document.FindLiveEntry(1, "B"), 0);

    document.RemoveEntry(1, 2);
    EXPECT_EQ(document.FindLiveEntry(1, "A"), 3);
    // Removed, then added again with the same header: only the new one is found.
    document.RemoveGroup(1);
    document.RemoveGroup(3);
    EXPECT_EQ(document.AppendGroup("[g]"), 5);
    EXPECT_EQ(document.FindLiveGroups("[g]"), (Positions{5}));
}

TEST(DocumentModel, RefusesAppendsPastTheSlotLimitAndChangesNothing)
{
    Document document;
    for (int i = 1; i <= kMaxSlots; ++i)
        ASSERT_EQ(document.AppendGroup("[g]"), i);
    document.RemoveGroup(1);  // removed slots still count
    EXPECT_EQ(document.AppendGroup("[h]"), std::nullopt);
    EXPECT_EQ(document.GroupCount(), kMaxSlots);

    for (int i = 1; i <= kMaxSlots; ++i)
        ASSERT_EQ(document.AppendEntry(2, "N", "V"), i);
    document.RemoveEntry(2, 1);
    EXPECT_EQ(document.AppendEntry(2, "N", "V"), std::nullopt);
    const GroupRecord& full = document.Group(2);
    EXPECT_EQ(full.EntryCount(), kMaxSlots);
    EXPECT_EQ(full.Values.size(), full.Names.size());
    EXPECT_EQ(full.EntryAlive.size(), full.Names.size());
}

}  // namespace
}  // namespace modMain
