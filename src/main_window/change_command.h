#pragma once

#include "document/document_editor.h"

#include <QUndoCommand>

// One change in the undo history, which only records it: the window asks the
// document's editor to take the change back or make it again, then moves the
// history to match. The history keeps the order of the changes and knows when
// the document is as last saved.
class ChangeCommand : public QUndoCommand {
public:
    explicit ChangeCommand(modMain::Change change)
        : change_(std::move(change))
    {
    }

    void undo() override {}
    void redo() override {}

    const modMain::Change& change() const { return change_; }

private:
    const modMain::Change change_;
};
