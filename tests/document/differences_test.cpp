#include "document/differences.h"
#include "document/document_editor.h"
#include "document/writer.h"

#include "document_support.h"

#include <gtest/gtest.h>

namespace modMain {
namespace {

using testing::cfg;
using testing::parsed;

// The merge's file, as its table writes it.
const std::string kBase = cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a");

// Each difference as kind|group|name|then|now: "=" for a value changed, "<"
// for what is there only then, ">" only now; a repeated header with its
// occurrence, "-" for a side without the entry, "*" for a whole group's side.
std::vector<std::string> described(const std::vector<Difference>& differences)
{
    using Kind = Difference::Kind;
    std::vector<std::string> lines;
    for (const Difference& d : differences) {
        const char* kind = d.kind == Kind::ValueChanged                                     ? "="
                           : d.kind == Kind::EntryOnlyThen || d.kind == Kind::GroupOnlyThen ? "<"
                                                                                            : ">";
        const bool whole = d.kind == Kind::GroupOnlyThen || d.kind == Kind::GroupOnlyNow;
        const std::string group = d.group.header +
                                  (d.group.count > 1 ? "(" + std::to_string(d.group.occurrence + 1) + ")" : "");
        lines.push_back(std::string(kind) + '|' + group + '|' + d.name + '|' + (whole ? "*" : d.then.value_or("-")) +
                        '|' + (whole ? "*" : d.now.value_or("-")));
    }
    return lines;
}

TEST(Differences, MatchesGroupsAndEntriesAsTheMergeDoes)
{
    const struct {
        const char* name;
        std::string then;
        std::string now;
        std::vector<std::string> differences;
    } cases[] = {
        // clang-format off
        {"the same file", kBase, kBase, {}},
        {"a value changed", kBase,
         cfg("[SOUND] SOUND=0 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         {"=|[SOUND]|SOUND|1|0"}},
        {"an entry removed since, another added", kBase,
         cfg("[SOUND] SOUND=1 ECHO=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         {"<|[SOUND]|MUSIC|1|-", ">|[SOUND]|ECHO|-|1"}},
        {"a group removed since, another added", kBase,
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=60 [SIM] s=1"),
         {"<|[MAIN]||*|*", ">|[SIM]||*|*"}},
        {"groups reordered by the simulator: nothing changed", kBase,
         cfg("[MAIN] Last=a [DISPLAY] Mode=800 x=1 x=2 [SOUND] SOUND=1 MUSIC=1 [DISPLAY] Rate=60"), {}},
        {"the second of a repeated header", kBase,
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=1 x=2 [DISPLAY] Rate=75 [MAIN] Last=a"),
         {"=|[DISPLAY](2)|Rate|60|75"}},
        {"the first of two equal names removed", kBase,
         cfg("[SOUND] SOUND=1 MUSIC=1 [DISPLAY] Mode=800 x=2 [DISPLAY] Rate=60 [MAIN] Last=a"),
         {"<|[DISPLAY](1)|x|1|-"}},
        {"an entry with no name", cfg("[MAIN] =1"), cfg("[MAIN] =2"), {"=|[MAIN]||1|2"}},
        // clang-format on
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Document then = parsed(c.then);
        DocumentEditor now;
        now.replace(parsed(c.now));
        const std::vector<Difference> found = differences(then, now.document());
        EXPECT_EQ(described(found), c.differences);
        // Every difference restored, none is left; taken back, the document is as it was.
        ASSERT_EQ(now.restore(then, found), found.empty() ? EditOutcome::Unchanged : EditOutcome::Done);
        EXPECT_EQ(described(differences(then, now.document())), std::vector<std::string>());
    }
}

TEST(Differences, RestoresThoseChosenAsOneChangeTakenBackWhole)
{
    const Document then = parsed(cfg("[a] x=1 y=1 z=1 [b] k=1"));
    DocumentEditor now;
    testing::RecordingFollower follower(now);
    now.replace(parsed(cfg("[a] x=2 y=2 w=2 [c] n=1")));
    const std::vector<Difference> found = differences(then, now.document());
    ASSERT_EQ(described(found), (std::vector<std::string>{"=|[a]|x|1|2", "=|[a]|y|1|2", "<|[a]|z|1|-", ">|[a]|w|-|2",
                                                          "<|[b]||*|*", ">|[c]||*|*"}));
    const std::vector<std::string> before = testing::allSlots(now.document());
    // All but the second value and the group added since.
    ASSERT_EQ(now.restore(then, {found[0], found[2], found[3], found[4]}), EditOutcome::Done);
    EXPECT_EQ(documentBytes(now.document()), cfg("[a] x=1 y=2 z=1 [c] n=1 [b] k=1"));
    ASSERT_EQ(follower.reports.size(), 1u);
    now.undo(follower.reports[0].first);
    EXPECT_EQ(testing::allSlots(now.document()), before);
}

}  // namespace
}  // namespace modMain
