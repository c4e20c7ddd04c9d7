#pragma once

#include "document/document.h"

#include <optional>
#include <string>
#include <vector>

class QListView;
class QTableView;

// What the program does with its two lists. A row holds texts only: a group
// header, or an entry's name and value as they were when the row was made.
// The rows keep the document's texts without copying them, so a list of a
// million rows costs a few bytes a row and fills at once.

// Makes the views show rows of texts of `document`.
void attachGroupRows(QListView* groups, const modMain::Document& document);
void attachEntryRows(QTableView* entries, const modMain::Document& document);

// The selected group header, or the empty text when no row is selected.
std::string selectedHeader(const QListView* groups);
void fillGroupRows(QListView* groups, std::vector<modMain::TextRef> headers);
void appendGroupRow(QListView* groups, modMain::TextRef header);
bool hasGroupRow(const QListView* groups, std::string_view header);
// Removes the selected row; afterwards no row is selected.
void removeSelectedGroupRow(QListView* groups);

struct EntryRow {
    modMain::TextRef name;
    modMain::TextRef value;
};

void fillEntryRows(QTableView* entries, std::vector<EntryRow> rows);
void clearEntryRows(QTableView* entries);
void appendEntryRow(QTableView* entries, EntryRow row);
bool hasEntryRowNamed(const QTableView* entries, std::string_view name);
// The selected row's number, if one is selected.
std::optional<int> selectedEntryRow(const QTableView* entries);
std::string entryRowName(const QTableView* entries, int row);
std::string entryRowValue(const QTableView* entries, int row);
void setEntryRowValue(QTableView* entries, int row, modMain::TextRef value);
