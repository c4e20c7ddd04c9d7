#include "main_window/change_command.h"

ChangeCommand::ChangeCommand(modMain::DocumentEditor& document, modMain::Change change, const bool& quiet)
    : document_(document)
    , change_(std::move(change))
    , quiet_(quiet)
{
}

void ChangeCommand::undo()
{
    if (!quiet_)
        document_.undo(change_);
}

void ChangeCommand::redo()
{
    if (made_ || quiet_) {
        made_ = false;
        return;
    }
    document_.redo(change_);
}
