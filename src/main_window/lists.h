#pragma once

#include <QString>
#include <QStringList>

#include <utility>
#include <vector>

class QListWidget;
class QTreeWidget;

// What the program does with its two lists. Rows hold texts only.

// The selected group header, or the empty string when no row is selected.
QString selectedHeader(const QListWidget* groups);
void appendGroupRow(QListWidget* groups, const QString& header);
void fillGroupRows(QListWidget* groups, const QStringList& headers);
// Removes the selected row; afterwards no row is selected.
void removeSelectedGroupRow(QListWidget* groups);

using EntryRow = std::pair<QString, QString>;  // name, value

void fillEntryRows(QTreeWidget* entries, const std::vector<EntryRow>& rows);
void appendEntryRow(QTreeWidget* entries, const QString& name, const QString& value);
