#pragma once

#include "document/document_editor.h"

#include <QUndoCommand>

// One change of the document in the undo history. It is recorded once made,
// so the history's first redo, which comes with the push, does nothing; nor
// does a step of the history while `quiet` holds, when the window moves the
// history alone to match a document it has put right itself.
class ChangeCommand : public QUndoCommand {
public:
    ChangeCommand(modMain::DocumentEditor& document, modMain::Change change, const bool& quiet);

    void undo() override;
    void redo() override;

    const modMain::Change& change() const { return change_; }

private:
    modMain::DocumentEditor& document_;
    const modMain::Change change_;
    const bool& quiet_;
    bool made_ = true;
};
