#pragma once

#include "dialogs/difference_table.h"
#include "document/differences.h"

#include <QString>

#include <vector>

class QWidget;

namespace modMain {
class DocumentEditor;
}

// The rows of the shared table for differences between a state of the file
// ("then") and the document now, in words where a side has nothing.
std::vector<DifferenceTable::Row> differenceRows(const std::vector<modMain::Difference>& differences);
// Those of the differences, shown in `table` by differenceRows, that are taken there.
std::vector<modMain::Difference> takenDifferences(const std::vector<modMain::Difference>& differences,
                                                  const DifferenceTable& table);

// The differences between `then` (another file) and the document now, all
// taken at first; "Aplicar" makes the document as it was then in those
// taken, as one step of the history. `thenHeading`: what the first side is.
void applyDifferences(QWidget* parent, modMain::DocumentEditor& editor, const modMain::Document& then,
                      const QString& title, const QString& thenHeading);
