#pragma once

#include "document/merge.h"

#include <optional>
#include <vector>

class QWidget;

// Lists the conflicts of a merge, one row each (the group, the entry, the
// file's side and the pilot's), and asks which side each keeps, the pilot's
// at first. For each conflict whether the pilot's side is kept, or nothing
// when the user cancels.
std::optional<std::vector<bool>> chooseConflictSides(QWidget* parent,
                                                     const std::vector<modMain::MergeConflict>& conflicts);
