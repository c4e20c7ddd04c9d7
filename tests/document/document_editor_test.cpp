#include "document/document_editor.h"
#include "document/writer.h"

#include "document_support.h"
#include "test_files.h"

#include <gtest/gtest.h>

#include <functional>

namespace modMain {
namespace {

using testing::allSlots;
using testing::parsed;
using testing::RecordingFollower;

const std::string kFile = "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\n";

TEST(DocumentEditor, MakesEachChangeWholeAndTakesItBackSlotForSlot)
{
    const struct {
        const char* name;
        std::function<EditOutcome(DocumentEditor&)> make;
        Change::Kind kind;
        std::vector<EntryPosition> at;  // where each step acted
        std::string saved;              // the file after the change
    } cases[] = {
        {"set a value",
         [](DocumentEditor& e) {
             return e.setValue({1, 2}, "novo=v");
         },
         Change::Kind::SetValue,
         {{1, 2}},
         "[a]\r\nx=1\r\ny=novo=v\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\n"},
        {"add a group",
         [](DocumentEditor& e) { return e.addGroup("[a]"); },
         Change::Kind::AddGroup,
         {{4, 0}},
         kFile + "[a]\r\n"},
        {"add an entry to every group of the header",
         [](DocumentEditor& e) { return e.addEntry("[a]", " x ", ""); },
         Change::Kind::AddEntry,
         {{1, 3}, {3, 2}},
         "[a]\r\nx=1\r\ny=2\r\n x =\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\n x =\r\n"},
        {"remove an entry",
         [](DocumentEditor& e) {
             return e.removeEntry({1, 1});
         },
         Change::Kind::RemoveEntry,
         {{1, 1}},
         "[a]\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\n"},
        {"remove a group",
         [](DocumentEditor& e) { return e.removeGroup(1); },
         Change::Kind::RemoveGroup,
         {{1, 0}},
         "[b]\r\nz=3\r\n[a]\r\nx=4\r\n"},
        {"import a block",
         [](DocumentEditor& e) { return e.importBlock("[a]\r\nw=5\r\n[novo]\r\nk=v\r\n[novo]\r\n=\r\n").outcome; },
         Change::Kind::Import,
         {{1, 3}, {4, 0}, {4, 1}, {4, 2}},
         "[a]\r\nx=1\r\ny=2\r\nw=5\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\n[novo]\r\nk=v\r\n=\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentEditor editor;
        RecordingFollower follower(editor);
        editor.replace(parsed(kFile));
        const std::vector<std::string> before = allSlots(editor.document());
        // A change the lists cannot follow is taken back whole.
        follower.refuse = true;
        ASSERT_EQ(c.make(editor), EditOutcome::OutOfMemory);
        EXPECT_EQ(allSlots(editor.document()), before);
        follower.refuse = false;
        follower.reports.clear();

        ASSERT_EQ(c.make(editor), EditOutcome::Done);
        EXPECT_EQ(documentBytes(editor.document()), c.saved);
        const auto& reports = follower.reports;
        ASSERT_EQ(reports.size(), 1u);
        EXPECT_EQ(reports[0].first.kind, c.kind);
        EXPECT_EQ(reports[0].second, std::nullopt);
        std::vector<EntryPosition> at;
        for (const EditStep& step : reports[0].first.steps)
            at.push_back(step.at);
        EXPECT_EQ(at, c.at);
        const std::vector<std::string> after = allSlots(editor.document());

        const Change change = reports[0].first;
        for (int round = 0; round < 2; ++round) {
            editor.undo(change);
            EXPECT_EQ(allSlots(editor.document()), before);
            EXPECT_EQ(editor.redo(change), EditOutcome::Done);
            EXPECT_EQ(allSlots(editor.document()), after);
        }
        EXPECT_EQ(reports.size(), 5u);
        EXPECT_EQ(reports.back().second, ChangeEvent::Redone);
    }
}

TEST(DocumentEditor, ImportSetsTheValueOfANameTheHeaderHasAlready)
{
    const std::string file = "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\nw=5\r\n";
    const struct {
        const char* name;
        std::string block;
        std::string saved;
    } cases[] = {
        {"a name of the first group", "[a]\r\ny=novo\r\n",
         "[a]\r\nx=1\r\ny=novo\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\nw=5\r\n"},
        {"a name only a later group of the header has", "[a]\r\nw=9\r\n",
         "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\nw=9\r\n"},
        {"a name twice: the first entry of it takes the last value", "[a]\r\nx=5\r\nx=6\r\n",
         "[a]\r\nx=6\r\ny=2\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\nw=5\r\n"},
        {"a new name twice: appended once, with the last value", "[a]\r\nn=1\r\n[b]\r\n[a]\r\nn=2\r\n",
         "[a]\r\nx=1\r\ny=2\r\nn=2\r\n[b]\r\nz=3\r\n[a]\r\nx=4\r\nw=5\r\n"},
        {"a new group's name twice", "[novo]\r\nk=1\r\n[novo]\r\nk=2\r\n", file + "[novo]\r\nk=2\r\n"},
        {"names match letter case aside, not blanks aside", "[b]\r\nZ=1\r\nz =2\r\n",
         "[a]\r\nx=1\r\ny=2\r\n[b]\r\nz=1\r\nz =2\r\n[a]\r\nx=4\r\nw=5\r\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentEditor editor;
        RecordingFollower follower(editor);
        editor.replace(parsed(file));
        const std::vector<std::string> before = allSlots(editor.document());
        ASSERT_EQ(editor.importBlock(c.block).outcome, EditOutcome::Done);
        EXPECT_EQ(documentBytes(editor.document()), c.saved);
        ASSERT_EQ(follower.reports.size(), 1u);
        editor.undo(follower.reports[0].first);  // the whole block, in one step
        EXPECT_EQ(allSlots(editor.document()), before);
    }

    // Names already there take no slot: a block of them fits a full group.
    std::string full = "[a]\r\n";
    for (int i = 0; i < kMaxSlots; ++i)
        full += "n" + std::to_string(i) + "=v\r\n";
    DocumentEditor editor;
    editor.replace(parsed(full));
    EXPECT_EQ(editor.importBlock("[a]\r\nn0=1\r\nn1=2\r\n").outcome, EditOutcome::Done);
    EXPECT_EQ(editor.importBlock("[a]\r\nn0=1\r\nnovo=2\r\n").outcome, EditOutcome::TooManyEntries);
}

TEST(DocumentEditor, ChangesNothingItCannotMakeWhole)
{
    std::string fullGroups;  // every group slot taken, and every entry slot of the first group
    for (int i = 0; i < kMaxSlots; ++i)
        fullGroups += "[g]\r\n";
    std::string fullEntries = "[e]\r\n";
    for (int i = 0; i < kMaxSlots; ++i)
        fullEntries += "n=v\r\n";
    fullGroups.replace(0, 5, fullEntries);
    const struct {
        const char* name;
        std::string file;
        std::function<EditOutcome(DocumentEditor&)> make;
        EditOutcome outcome;
    } cases[] = {
        {"an entry for a header no live group carries", kFile,
         [](DocumentEditor& e) { return e.addEntry("[b ]", "n", "v"); }, EditOutcome::NoTarget},
        {"a slot no longer live", kFile,
         [](DocumentEditor& e) {
             e.removeGroup(3);
             e.removeEntry({1, 1});
             EXPECT_EQ(e.removeGroup(3), EditOutcome::NoTarget);
             EXPECT_EQ(e.removeEntry({3, 1}), EditOutcome::NoTarget);
             return e.setValue({1, 1}, "9");
         },
         EditOutcome::NoTarget},
        {"a block whose first line is no header", kFile,
         [](DocumentEditor& e) { return e.importBlock("\r\n[a]\r\nq=1\r\n").outcome; },
         EditOutcome::FirstLineNotHeader},
        // Removed slots still count.
        {"a group past the last slot", fullGroups,
         [](DocumentEditor& e) {
             e.removeGroup(2);
             return e.addGroup("[h]");
         },
         EditOutcome::TooManyGroups},
        {"an entry past the last slot of one of the header's groups", fullGroups,
         [](DocumentEditor& e) {
             e.removeEntry({1, 1});
             return e.addEntry("[e]", "m", "1");
         },
         EditOutcome::TooManyEntries},
        {"a block that adds a group past the last slot, after lines that fit", fullGroups,
         [](DocumentEditor& e) { return e.importBlock("[g]\r\nq=1\r\n[h]\r\nf=2\r\n").outcome; },
         EditOutcome::TooManyGroups},
        {"a block that adds an entry to a full group", fullGroups,
         [](DocumentEditor& e) { return e.importBlock("[e]\r\nf=2\r\n").outcome; }, EditOutcome::TooManyEntries},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        DocumentEditor editor;
        RecordingFollower follower(editor);
        editor.replace(parsed(c.file));
        EXPECT_EQ(c.make(editor), c.outcome);
        // Nothing since the last change that was made: the refused one left no trace.
        EXPECT_EQ(allSlots(editor.document()), follower.slotsAfterLastMade);
    }
}

// Linux: in a child process with its address space limited, which AddressSanitizer needs more of.
#if !defined(__SANITIZE_ADDRESS__) && !defined(_WIN32)
TEST(DocumentEditor, RunningOutOfMemoryChangesNothing)
{
    // A block whose texts need more memory than is left, in a child process.
    std::string block = "[a]\r\n";
    for (int i = 0; i < 20000; ++i)
        block += "nome" + std::to_string(i) + "=" + std::string(4000, 'v') + "\r\n";
    DocumentEditor editor;
    editor.replace(parsed(kFile));
    const std::vector<std::string> before = allSlots(editor.document());
    EXPECT_TRUE(test_files::holdsInChild([&] {
        test_files::limit(RLIMIT_AS, test_files::addressSpaceInUse() + (48 << 20));
        const EditOutcome outcome = editor.importBlock(block).outcome;
        return outcome == EditOutcome::OutOfMemory && allSlots(editor.document()) == before &&
               editor.importBlock("[a]\r\nz=1\r\n").outcome == EditOutcome::Done;
    }));
}
#endif

}  // namespace
}  // namespace modMain
