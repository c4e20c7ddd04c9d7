#pragma once

#include "document/document.h"

#include <string_view>
#include <vector>

namespace modMain {

struct Difference;

// One step of a change, holding what it takes to take the step back exactly.
struct EditStep {
    enum class Kind : std::uint8_t { AppendGroup, AppendEntry, SetValue, RemoveEntry, RemoveGroup };
    Kind kind = Kind::SetValue;
    EntryPosition at;  // what it acts on; for an append, the new slot's position
    TextRef text;      // the appended header or name, or the value set
    TextRef other;     // the appended value, or the value replaced
};

// One command's change to the document, in the order its steps were made. A
// merge or a reload instead puts a whole document in the place of the current
// one: it holds the other one, and making or taking back the change swaps the two.
struct Change {
    enum class Kind : std::uint8_t {
        SetValue,
        AddGroup,
        AddEntry,
        RemoveEntry,
        RemoveGroup,
        Import,
        Restore,
        Merge,
        Reload
    };
    Kind kind = Kind::SetValue;
    std::vector<EditStep> steps;
    std::shared_ptr<Document> swapped;

    // Whether it puts another document in the current one's place.
    bool swapsDocument() const { return swapped != nullptr; }
};

// A change taken back or made again, from the history.
enum class ChangeEvent { Undone, Redone };

// What became of a change: made, or why nothing changed. Unchanged: it would
// leave the document as it is (a value set to the value it has), and is no change.
enum class EditOutcome {
    Done,
    Unchanged,
    NoTarget,
    FirstLineNotHeader,
    UnreadableLine,
    TooManyGroups,
    TooManyEntries,
    OutOfMemory,
};

// What became of a pasted block; for UnreadableLine, which line it was (from 1).
struct ImportOutcome {
    EditOutcome outcome = EditOutcome::Done;
    std::size_t line = 0;
};

// Whoever shows the document (the window's lists): told of a new document,
// and of each change once it is made, undone or redone.
class DocumentFollower {
public:
    // A new document is about to take the place of the current one; then has.
    virtual void aboutToReplace() noexcept = 0;
    virtual void replaced() noexcept = 0;
    // A change made. False when the follower ran out of memory following it,
    // having put itself back as it was: the editor then takes the change back.
    virtual bool followMade(const Change& change) noexcept = 0;
    // A change undone or redone. Following it cannot fail: whoever asks for
    // an undo or a redo makes the room that following it needs beforehand.
    virtual void followStep(const Change& change, ChangeEvent event) noexcept = 0;

protected:
    ~DocumentFollower() = default;
};

// The one way into the document: every change is made whole or not at all,
// reported once made, and can be undone and redone exactly, slot for slot.
// Changes are undone in the reverse order they were made in. Running out of
// memory changes nothing: neither here, nor where the follower runs out.
class DocumentEditor {
public:
    const Document& document() const { return document_; }

    void setFollower(DocumentFollower* follower) { follower_ = follower; }

    // A document read from a file takes the place of the whole current one.
    void replace(Document document);

    // Each acts on the live slot it is given, or on none (NoTarget).
    EditOutcome setValue(EntryPosition at, std::string_view value);
    // A new group with this header, after the last one.
    EditOutcome addGroup(std::string_view header);
    // The entry, to every live group carrying `header`, or to none when one of them is full.
    EditOutcome addEntry(std::string_view header, std::string_view name, std::string_view value);
    EditOutcome removeEntry(EntryPosition at);
    EditOutcome removeGroup(int group);
    // A pasted block written like the file: each header line selects the first
    // live group carrying it, or a new one, and the entry lines below it go to
    // that group. The first line must be a header, and every other line an
    // entry, empty or blank: all of it, or none.
    ImportOutcome importBlock(std::string_view block);
    // Makes the document as it was then in the differences chosen (see differences.h).
    EditOutcome restore(const Document& then, const std::vector<Difference>& chosen);
    // A merge of the current document with the file as another program left
    // it, or the file read again, takes its place, as one change.
    EditOutcome merge(Document merged);
    EditOutcome reload(Document read);

    // Takes back the last change not undone, which cannot fail; or makes
    // again the first one undone, or nothing when memory runs out.
    void undo(const Change& change);
    EditOutcome redo(const Change& change);

private:
    // Applies the steps; when memory runs out half-way, takes back those applied.
    bool apply(const Change& change);
    void revert(const Change& change) noexcept;
    // Plans a change and makes it; running out of memory anywhere changes nothing.
    template <typename Plan>
    ImportOutcome make(Plan&& plan);
    EditOutcome swapIn(Document document, Change::Kind kind);

    Document document_;
    DocumentFollower* follower_ = nullptr;
};

// A change worked out before any of it is made, or why it cannot be made.
struct PlannedChange {
    EditOutcome outcome = EditOutcome::Done;
    Change change;
    std::size_t line = 0;  // the block's line that was refused
};

// The steps that apply a block to the document. Stores the block's texts in
// the document only once the whole block is known to fit.
PlannedChange planImport(Document& document, std::string_view block);

}  // namespace modMain
