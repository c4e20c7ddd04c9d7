#include "document/document.h"

#include "document_support.h"

#include <gtest/gtest.h>

namespace modMain {
namespace {

using testing::liveContent;
using testing::parsed;
using Content = std::vector<std::string>;

TEST(DocumentModel, EmptyDocumentWalksNothing)
{
    const Document document;
    EXPECT_EQ(document.GroupCount(), 0);
    EXPECT_TRUE(liveContent(document).empty());
}

TEST(DocumentModel, AppendsTakeTheNextPositionAndKeepTheirTexts)
{
    Document document = parsed("[loaded]\r\nA=1\r\n");
    EXPECT_EQ(document.AppendEntry(1, "B", "2"), 2);
    EXPECT_EQ(document.AppendGroup("[added]"), 2);
    EXPECT_EQ(document.AppendEntry(2, " name ", " value = x "), 1);
    EXPECT_EQ(document.AppendEntry(2, "", ""), 2);
    EXPECT_EQ(document.GroupCount(), 2);
    EXPECT_EQ(document.Group(2).EntryCount(), 2);
    EXPECT_EQ(liveContent(document),
              (Content{"H [loaded]", "E A | 1", "E B | 2", "H [added]", "E  name  |  value = x ", "E  | "}));
}

TEST(DocumentModel, RemovalOnlyClearsLiveFlags)
{
    Document document = parsed("[g]\r\nA=1\r\nB=2\r\n[h]\r\nC=3\r\n");
    document.RemoveEntry(1, 1);
    document.RemoveEntry(1, 2);
    document.RemoveGroup(2);
    EXPECT_EQ(document.GroupCount(), 2);
    EXPECT_EQ(document.Group(1).EntryCount(), 2);
    EXPECT_EQ(document.Group(2).EntryCount(), 1);
    // A live group whose entries are all removed is still walked, alone.
    EXPECT_EQ(liveContent(document), (Content{"H [g]"}));
    EXPECT_EQ(document.FindLiveEntry(1, "A"), 0);
}

TEST(DocumentModel, FindsLiveGroupsByExactHeaderInPositionOrder)
{
    Document document = parsed("[g]\r\n[G]\r\n[g]\r\n[g ]\r\n");
    EXPECT_EQ(document.FindLiveGroups("[g]"), (std::vector<std::int16_t>{1, 3}));
    EXPECT_EQ(document.FindLiveGroups("[G]"), (std::vector<std::int16_t>{2}));
    EXPECT_TRUE(document.FindLiveGroups("g").empty());
    EXPECT_TRUE(document.FindLiveGroups("").empty());

    // Removed, then added again with the same header: only the new one is found.
    document.RemoveGroup(1);
    document.RemoveGroup(3);
    EXPECT_EQ(document.AppendGroup("[g]"), 5);
    EXPECT_EQ(document.GroupCount(), 5);
    EXPECT_EQ(document.FindLiveGroups("[g]"), (std::vector<std::int16_t>{5}));
}

TEST(DocumentModel, FindsTheFirstLiveEntryByExactName)
{
    Document document = parsed("[g]\r\nA=1\r\nA=2\r\nA =3\r\na=4\r\n");
    EXPECT_EQ(document.FindLiveEntry(1, "A"), 1);
    EXPECT_EQ(document.FindLiveEntry(1, "A "), 3);
    EXPECT_EQ(document.FindLiveEntry(1, "a"), 4);
    EXPECT_EQ(document.FindLiveEntry(1, "B"), 0);
    document.RemoveEntry(1, 1);
    EXPECT_EQ(document.FindLiveEntry(1, "A"), 2);
}

TEST(DocumentModel, SetValueChangesOnlyThatEntry)
{
    Document document = parsed("[g]\r\nA=1\r\nA=2\r\n");
    document.SetValue(1, 2, "novo=valor");
    document.SetValue(1, 1, "");
    EXPECT_EQ(liveContent(document), (Content{"H [g]", "E A | ", "E A | novo=valor"}));
}

TEST(DocumentModel, AppendsPastTheSlotLimitAreRefusedAndChangeNothing)
{
    Document document;
    for (int i = 1; i <= kMaxSlots; ++i)
        ASSERT_EQ(document.AppendGroup("[g]"), i);
    EXPECT_EQ(document.AppendGroup("[one too many]"), std::nullopt);
    EXPECT_EQ(document.GroupCount(), kMaxSlots);
    EXPECT_EQ(document.Header(kMaxSlots), "[g]");

    // Removed slots still count.
    document.RemoveGroup(1);
    EXPECT_EQ(document.AppendGroup("[g]"), std::nullopt);

    for (int i = 1; i <= kMaxSlots; ++i)
        ASSERT_EQ(document.AppendEntry(2, "N", "V"), i);
    document.RemoveEntry(2, 1);
    EXPECT_EQ(document.AppendEntry(2, "N", "V"), std::nullopt);
    EXPECT_EQ(document.Group(2).EntryCount(), kMaxSlots);
    EXPECT_EQ(document.Group(2).Values.size(), std::size_t(kMaxSlots));
    EXPECT_EQ(document.Group(2).EntryAlive.size(), std::size_t(kMaxSlots));
}

}  // namespace
}  // namespace modMain
