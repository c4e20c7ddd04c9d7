#include "document/document_editor.h"
#include "document/merge.h"
#include "document/writer.h"

#include "document_support.h"

#include <gtest/gtest.h>

#include <functional>

namespace modMain {
namespace {

using testing::cfg;
using testing::parsed;

const std::string kBase = cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a");

// Each conflict as group|name|the file's side|the pilot's side, "-" for a side that removed it.
std::vector<std::string> described(const std::vector<MergeConflict>& conflicts)
{
    std::vector<std::string> lines;
    for (const MergeConflict& c : conflicts)
        lines.push_back(c.group.header + '|' + c.name + '|' + c.theirs.value_or("-") + '|' + c.mine.value_or("-"));
    return lines;
}

// Two sides that reach the same document are never a conflict: merging a
// document with itself on both sides gives it back.
void expectMergedWithItselfUnchanged(const Document& base, const Document& both)
{
    SCOPED_TRACE("merged with itself");
    MergePlan plan(base, parsed(documentBytes(both)), both, mapOfLiveContent(base));
    EXPECT_TRUE(plan.conflicts().empty());
    EXPECT_FALSE(plan.changesTheirs());
    const std::optional<MergedDocument> merged = std::move(plan).merged();
    ASSERT_TRUE(merged);
    EXPECT_EQ(documentBytes(merged->document), documentBytes(both));
}

TEST(Merge, MakesThePilotsChangesAgainOnTheFileAsItIsNow)
{
    using Edit = std::function<void(DocumentEditor&)>;
    const Edit none = [](DocumentEditor&) {};
    const struct {
        const char* name;
        Edit mine;  // the pilot's changes to the base
        std::vector<bool> mineWins;
        std::string theirs;  // the base with the simulator's changes
        std::string merged;
        std::vector<std::string> conflicts;
    } cases[] = {
        // clang-format off
        {"theirs as the base: the pilot's changes",
         [](DocumentEditor& e) { e.setValue({1, 1}, "0"); }, {},
         kBase,
         cfg("[SOUND] SOUND=0 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {}},
        {"mine as the base: the simulator's changes",
         none, {},
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=1024 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=b"),
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=1024 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=b"), {}},
        {"values set on each side, of different entries",
         [](DocumentEditor& e) { e.setValue({1, 2}, "0"); }, {},
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=1024 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=b"),
         cfg("[SOUND] SOUND=1 MUSIC=0 [DISPLAY] Mode=1024 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=b"), {}},
        {"one value set alike on both sides",
         [](DocumentEditor& e) { e.setValue({1, 1}, "0"); }, {},
         cfg("[SOUND] SOUND=0 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=0 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {}},
        {"one value set to two values: the pilot's, as chosen at first",
         [](DocumentEditor& e) { e.setValue({1, 1}, "0"); }, {},
         cfg("[SOUND] SOUND=2 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=0 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {"[SOUND]|SOUND|2|0"}},
        {"one value set to two values: the file's, as chosen",
         [](DocumentEditor& e) { e.setValue({1, 1}, "0"); }, {false},
         cfg("[SOUND] SOUND=2 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=2 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {"[SOUND]|SOUND|2|0"}},
        {"an entry removed here, set there",
         [](DocumentEditor& e) { e.removeEntry({1, 2}); }, {},
         cfg("[SOUND] SOUND=1 MUSIC=9 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {"[SOUND]|MUSIC|9|-"}},
        {"an entry set here, removed there: it comes back at its group's end",
         [](DocumentEditor& e) { e.setValue({1, 1}, "0"); }, {},
         cfg("[SOUND] MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] MUSIC=1 SOUND=0 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {"[SOUND]|SOUND|-|0"}},
        {"an entry removed on both sides",
         [](DocumentEditor& e) { e.removeEntry({1, 2}); }, {},
         cfg("[SOUND] SOUND=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {}},
        {"entries added on each side; one of them alike, once",
         [](DocumentEditor& e) { e.importBlock(cfg("[SOUND] ECHO=1 BASS=3")); }, {},
         cfg("[SOUND] SOUND=1 MUSIC=1 VOICE=1 ECHO=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=1 MUSIC=1 VOICE=1 ECHO=1 BASS=3 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {}},
        {"one name added with two values",
         [](DocumentEditor& e) { e.importBlock(cfg("[SOUND] ECHO=1")); }, {},
         cfg("[SOUND] SOUND=1 MUSIC=1 ECHO=2 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=1 MUSIC=1 ECHO=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"), {"[SOUND]|ECHO|2|1"}},
        {"a group removed here, untouched there",
         [](DocumentEditor& e) { e.removeGroup(4); }, {},
         kBase,
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60"), {}},
        {"a group removed here, changed there: kept, as chosen",
         [](DocumentEditor& e) { e.removeGroup(4); }, {false},
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=b"),
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=b"), {"[MAIN]|||-"}},
        {"a group changed here, removed there: it comes back whole at the end",
         [](DocumentEditor& e) { e.setValue({1, 2}, "0"); }, {},
         cfg("[DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a [SOUND] SOUND=1 MUSIC=0"), {"[SOUND]||-|"}},
        {"groups added on each side; one of them alike, once",
         [](DocumentEditor& e) { e.importBlock(cfg("[NEW] k=1 [PILOT] p=1")); }, {},
         kBase + cfg("[NEW] k=1 [SIM] s=1"),
         kBase + cfg("[NEW] k=1 [SIM] s=1 [PILOT] p=1"), {}},
        {"groups reordered by the simulator",
         [](DocumentEditor& e) { e.setValue({1, 2}, "0"), e.setValue({3, 1}, "75"); }, {},
         cfg("[MAIN] Last=a [DISPLAY] Mode=800 x=1 x=2 [SOUND] SOUND=1 MUSIC=1 [DISPLAY] Rate=60"),
         cfg("[MAIN] Last=a [DISPLAY] Mode=800 x=1 x=2 [SOUND] SOUND=1 MUSIC=0 [DISPLAY] Rate=75"), {}},
        {"the second of a repeated header and of a repeated name",
         [](DocumentEditor& e) { e.removeEntry({2, 3}), e.setValue({3, 1}, "30"); }, {},
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=640 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=640 x=1 [DISPLAY] Rate=30 [MAIN] Last=a"), {}},
        {"an entry removed there, untouched here",
         [](DocumentEditor& e) { e.setValue({4, 1}, "b"); }, {},
         cfg("[SOUND] SOUND=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         cfg("[SOUND] SOUND=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=b"), {}},
        {"a group removed on both sides",
         [](DocumentEditor& e) { e.removeGroup(4); }, {},
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60"),
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60"), {}},
        {"a third [DISPLAY] added here, another group there",
         [](DocumentEditor& e) { e.addGroup("[DISPLAY]"), e.addEntry("[DISPLAY]", "Hz", "75"); }, {},
         kBase + cfg("[SIM] s=1"),
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 Hz=75 [DISPLAY] Rate=60 Hz=75 [MAIN] Last=a [SIM] s=1 [DISPLAY] Hz=75"), {}},
        {"an empty file: untouched groups go, changed ones are asked about",
         [](DocumentEditor& e) { e.setValue({4, 1}, "z"); }, {},
         "",
         cfg("[MAIN] Last=z"), {"[MAIN]||-|"}},
        {"an import against the simulator's own changes",
         [](DocumentEditor& e) { e.importBlock(cfg("[DISPLAY] Mode=1024 novo=1 [MAIN] Last=c")); }, {true},
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=b"),
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=1024 x=1 x=2 novo=1 [DISPLAY] Rate=60 [MAIN] Last=c"), {"[MAIN]|Last|b|c"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentEditor mine;
        mine.replace(parsed(kBase));
        c.mine(mine);
        const Document base = parsed(kBase);
        MergePlan plan(base, parsed(c.theirs), mine.document(), mapOfLiveContent(base));
        ASSERT_EQ(plan.outcome(), MergePlan::Outcome::Merged);
        EXPECT_EQ(described(plan.conflicts()), c.conflicts);
        const std::optional<MergedDocument> merged = std::move(plan).merged(c.mineWins);
        ASSERT_TRUE(merged);
        EXPECT_EQ(documentBytes(merged->document), c.merged);
        expectMergedWithItselfUnchanged(base, mine.document());
    }
}

TEST(Merge, AlignsTheFileWithTheBaseByOrderAndContent)
{
    using Edit = std::function<void(DocumentEditor&)>;
    using Scope = MergeConflict::Scope;
    const struct {
        const char* name;
        std::string base;
        Edit mine;
        std::string theirs;
        std::string merged;
        std::vector<std::string> conflicts;
        std::vector<Scope> scopes;
    } cases[] = {
        // clang-format off
        {"both sides removed the first of two equal names",
         cfg("[MAIN] x=1 x=2"), [](DocumentEditor& e) { e.removeEntry({1, 1}); },
         cfg("[MAIN] x=2"), cfg("[MAIN] x=2"), {}, {}},
        {"both sides removed the first of two equal headers",
         cfg("[DISPLAY] a=1 [DISPLAY] b=2"), [](DocumentEditor& e) { e.removeGroup(1); },
         cfg("[DISPLAY] b=2"), cfg("[DISPLAY] b=2"), {}, {}},
        {"theirs only reordered a group the pilot removed",
         cfg("[SOUND] a=1 b=2 [MAIN] m=1"), [](DocumentEditor& e) { e.removeGroup(1); },
         cfg("[SOUND] b=2 a=1 [MAIN] m=1"), cfg("[MAIN] m=1"), {}, {}},
        {"the pilot removed one of two equal entries, theirs the other",
         cfg("[MAIN] x=1 x=1 y=1"), [](DocumentEditor& e) { e.removeEntry({1, 1}), e.setValue({1, 3}, "2"); },
         cfg("[MAIN] x=1 y=1"), cfg("[MAIN] x=1 y=2"), {}, {}},
        {"an entry with no name in a conflict, told from a whole group",
         cfg("[MAIN] =1 [SOUND] s=1"), [](DocumentEditor& e) { e.setValue({1, 1}, "2"), e.removeGroup(2); },
         cfg("[MAIN] =3 [SOUND] s=2"), cfg("[MAIN] =2"), {"[MAIN]||3|2", "[SOUND]|||-"}, {Scope::Entry, Scope::WholeGroup}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Document base = parsed(c.base);
        DocumentEditor mine;
        mine.replace(parsed(c.base));
        c.mine(mine);
        MergePlan plan(base, parsed(c.theirs), mine.document(), mapOfLiveContent(base));
        EXPECT_EQ(described(plan.conflicts()), c.conflicts);
        std::vector<Scope> scopes;
        for (const MergeConflict& conflict : plan.conflicts())
            scopes.push_back(conflict.scope);
        EXPECT_EQ(scopes, c.scopes);
        const std::optional<MergedDocument> merged = std::move(plan).merged();
        ASSERT_TRUE(merged);
        EXPECT_EQ(documentBytes(merged->document), c.merged);
        expectMergedWithItselfUnchanged(base, mine.document());
    }
}

TEST(Merge, CountsWhatTheMergedDocumentHoldsAgainstTheLimits)
{
    // The file gained a group, or an entry, at the limit less one; the pilot
    // removed one and added one: exactly the limit, and their slots drop out.
    std::string groups;
    for (int g = 1; g < kMaxSlots; ++g)
        groups += "[g" + std::to_string(g) + "]\r\n";
    std::string entries = "[g]\r\n";
    for (int e = 1; e < kMaxSlots; ++e)
        entries += "n" + std::to_string(e) + "=v\r\n";
    const struct {
        const char* name;
        std::string base;
        std::string theirs;
        std::function<void(DocumentEditor&)> mine;
        int groups;
        int entriesOfFirst;
    } cases[] = {
        {"groups", groups, groups + "[deles]\r\n", [](DocumentEditor& e) { e.removeGroup(1), e.addGroup("[meu]"); },
         kMaxSlots, 0},
        {"entries", entries, entries + "deles=v\r\n",
         [](DocumentEditor& e) {
             e.removeEntry({1, 1}), e.addEntry("[g]", "meu", "v");
         },
         1, kMaxSlots},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Document base = parsed(c.base);
        DocumentEditor mine;
        mine.replace(parsed(c.base));
        c.mine(mine);
        std::optional<MergedDocument> merged =
            MergePlan(base, parsed(c.theirs), mine.document(), mapOfLiveContent(base)).merged();
        ASSERT_TRUE(merged);
        const Document& result = merged->document;
        EXPECT_EQ(result.GroupCount(), c.groups);
        EXPECT_EQ(result.group(1).EntryCount(), c.entriesOfFirst);
        // Where the file's slots lie in the merged document: the base of the next merge.
        const Document again = parsed(std::string(result.fileBytes().view()));
        EXPECT_EQ(
            documentBytes(
                std::move(MergePlan(again, parsed(documentBytes(result)), result, merged->theirs)).merged()->document),
            documentBytes(result));
    }
}

TEST(Merge, RefusesAFileWithNothingInCommonAndKeepsItsBaseAcrossASave)
{
    const Document base = parsed(kBase);
    DocumentEditor mine;
    mine.replace(parsed(kBase));
    EXPECT_EQ(MergePlan(base, parsed("[OUTRO]\r\na=1\r\n"), mine.document(), mapOfLiveContent(base)).outcome(),
              MergePlan::Outcome::NothingInCommon);

    // Saved after a removal and an addition: the saved content is the new base, its slots mapped.
    mine.removeEntry({1, 1});
    mine.addEntry("[MAIN]", "Next", "b");
    const Document saved = parsed(documentBytes(mine.document()));
    const BaseMap map = mapOfLiveContent(mine.document());
    mine.setValue({4, 2}, "c");
    MergePlan plan(saved, parsed(documentBytes(saved)), mine.document(), map);
    EXPECT_EQ(documentBytes(std::move(plan).merged()->document),
              "[SOUND]\r\nMUSIC=1\r\n[DISPLAY]\r\nMode=800\r\nx=1\r\nx=2\r\n["
              "DISPLAY]\r\nRate=60\r\n[MAIN]\r\nLast=a\r\nNext=c\r\n");

    // Both changes undone since the save: the entry the save had but the
    // document no longer does counts as removed, the one it has again as added.
    MergePlan undone(saved, parsed(documentBytes(saved)), parsed(kBase), map);
    EXPECT_EQ(documentBytes(std::move(undone).merged()->document),
              "[SOUND]\r\nMUSIC=1\r\nSOUND=1\r\n[DISPLAY]\r\nMode=800\r\nx="
              "1\r\nx=2\r\n[DISPLAY]\r\nRate=60\r\n[MAIN]\r\nLast=a\r\n");
}

}  // namespace
}  // namespace modMain
