#include "main_window/lists.h"

#include <QListWidget>
#include <QTreeWidget>

QString selectedHeader(const QListWidget* groups)
{
    const QList<QListWidgetItem*> selected = groups->selectedItems();
    return selected.isEmpty() ? QString() : selected.first()->text();
}

void appendGroupRow(QListWidget* groups, const QString& header)
{
    groups->addItem(header);
}

void fillGroupRows(QListWidget* groups, const QStringList& headers)
{
    groups->clear();
    groups->addItems(headers);
    // No current row either: the first Down key then selects the first header
    // instead of the second, where the list would put its cursor on focus.
    groups->setCurrentIndex(QModelIndex());
}

void removeSelectedGroupRow(QListWidget* groups)
{
    const QList<QListWidgetItem*> selected = groups->selectedItems();
    if (selected.isEmpty())
        return;
    delete groups->takeItem(groups->row(selected.first()));
    groups->clearSelection();
}

void fillEntryRows(QTreeWidget* entries, const std::vector<EntryRow>& rows)
{
    entries->clear();
    // Added in one go: a list of 32767 rows then lays itself out once.
    QList<QTreeWidgetItem*> items;
    items.reserve(static_cast<qsizetype>(rows.size()));
    for (const auto& [name, value] : rows)
        items.append(new QTreeWidgetItem(QStringList{name, value}));
    entries->addTopLevelItems(items);
}

void appendEntryRow(QTreeWidget* entries, const QString& name, const QString& value)
{
    entries->addTopLevelItem(new QTreeWidgetItem(QStringList{name, value}));
}
