#pragma once

#include "document/document.h"

#include <QObject>

#include <string_view>
#include <vector>

namespace modMain {

// One step of a change, holding what it takes to take the step back exactly.
struct EditStep {
    enum class Kind : std::uint8_t { AppendGroup, AppendEntry, SetValue, RemoveEntry, RemoveGroup };
    Kind kind = Kind::SetValue;
    EntryPosition at;  // what it acts on; for an append, the new slot's position
    TextRef text;      // the appended header or name, or the value set
    TextRef other;     // the appended value, or the value replaced
};

// One command's change to the document, in the order its steps were made.
struct Change {
    enum class Kind : std::uint8_t { SetValue, AddGroup, AddEntry, RemoveEntry, RemoveGroup, Import };
    Kind kind = Kind::SetValue;
    std::vector<EditStep> steps;
};

enum class ChangeEvent { Done, Undone, Redone };

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

// The one way into the document: every change is made whole or not at all,
// reported once made, and can be undone and redone exactly, slot for slot.
// Changes are undone in the reverse order they were made in. Running out of
// memory changes nothing: neither here, nor where a report's receiver runs out
// (it throws std::bad_alloc once it has put itself right, and the change is
// taken back).
class DocumentEditor : public QObject {
    Q_OBJECT

public:
    const Document& document() const { return document_; }

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

    void undo(const Change& change);
    EditOutcome redo(const Change& change);

signals:
    void aboutToReplace();
    void replaced();
    void changed(const modMain::Change& change, modMain::ChangeEvent event);

private:
    // Applies the steps; when memory runs out half-way, takes back those applied.
    bool apply(const Change& change);
    // Plans a change and makes it; running out of memory anywhere changes nothing.
    template <typename Plan>
    ImportOutcome make(Plan&& plan);

    Document document_;
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
