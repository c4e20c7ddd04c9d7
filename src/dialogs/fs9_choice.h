#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

#include <optional>
#include <utility>

class QWidget;

// Asks which of several copies of the simulator's file to open (one in each
// Wine prefix, say): their full paths and when each was last written, in the
// order given, the first chosen at first. The chosen one's place in the
// list, or nothing when the user cancels.
std::optional<qsizetype> chooseFS9File(QWidget* parent, const QList<std::pair<QString, QDateTime>>& files);
