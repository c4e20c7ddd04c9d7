#pragma once

#include "document/document_editor.h"

#include <QUndoCommand>

// One change of the document in the undo history. It is recorded once made,
// so the history's first redo, which comes with the push, does nothing.
class ChangeCommand : public QUndoCommand {
public:
    ChangeCommand(modMain::DocumentEditor& document, modMain::Change change);

    void undo() override;
    void redo() override;

private:
    modMain::DocumentEditor& document_;
    const modMain::Change change_;
    bool made_ = true;
};
