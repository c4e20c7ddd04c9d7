#include "main_window/change_command.h"

ChangeCommand::ChangeCommand(modMain::DocumentEditor& document, modMain::Change change)
    : document_(document)
    , change_(std::move(change))
{
}

void ChangeCommand::undo()
{
    document_.undo(change_);
}

void ChangeCommand::redo()
{
    if (made_) {
        made_ = false;
        return;
    }
    document_.redo(change_);
}
