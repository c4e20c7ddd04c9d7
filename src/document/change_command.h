#pragma once

#include "document/document_editor.h"
#include "document/known_file.h"

#include <QUndoCommand>

#include <optional>

// One change in the history, which only records it: the owner of the file
// asks the document's editor to take the change back or make it again, then
// moves the history to match. A change that puts another document in place (a
// merge, a reload) also records what was known of the file before and after
// it, which taking it back or making it again brings back.
class ChangeCommand : public QUndoCommand {
public:
    struct Swap {
        modMain::KnownFile before;
        modMain::KnownFile after;
    };

    ChangeCommand(modMain::Change change, std::optional<Swap> swap)
        : change_(std::move(change))
        , swap_(std::move(swap))
    {
    }

    void undo() override {}
    void redo() override {}

    const modMain::Change& change() const { return change_; }
    const std::optional<Swap>& swap() const { return swap_; }

private:
    const modMain::Change change_;
    const std::optional<Swap> swap_;
};
