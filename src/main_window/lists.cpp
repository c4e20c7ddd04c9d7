#include "main_window/lists.h"

#include "document/text_codec.h"

#include <QAbstractTableModel>
#include <QListView>
#include <QTableView>

#include <algorithm>

namespace {

// Laying out a text of megabytes would freeze the window for seconds: a list
// shows the start of such a text and an ellipsis. The document keeps it whole.
constexpr std::size_t kShownBytes = 1000;

QString shown(std::string_view text)
{
    if (text.size() <= kShownBytes)
        return modMain::decodeText(text);
    return modMain::decodeText(text.substr(0, kShownBytes)) + QChar(0x2026);
}

class GroupRows : public QAbstractListModel {
public:
    GroupRows(const modMain::Document& document, QObject* parent)
        : QAbstractListModel(parent)
        , document_(document)
    {
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(rows_.size()); }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
            return {};
        return shown(header(index.row()));
    }

    std::string_view header(int row) const { return document_.text(rows_[std::size_t(row)]); }

    void fill(std::vector<modMain::TextRef> rows)
    {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }

    void append(modMain::TextRef row)
    {
        beginInsertRows({}, rowCount({}), rowCount({}));
        rows_.push_back(row);
        endInsertRows();
    }

    void remove(int row)
    {
        beginRemoveRows({}, row, row);
        rows_.erase(rows_.begin() + row);
        endRemoveRows();
    }

private:
    const modMain::Document& document_;
    std::vector<modMain::TextRef> rows_;
};

class EntryRows : public QAbstractTableModel {
public:
    EntryRows(const modMain::Document& document, QObject* parent)
        : QAbstractTableModel(parent)
        , document_(document)
    {
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(rows_.size()); }
    int columnCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : 2; }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
            return {};
        const EntryRow& row = rows_[std::size_t(index.row())];
        return shown(document_.text(index.column() == 0 ? row.name : row.value));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
            return {};
        return section == 0 ? QStringLiteral("Parâmetro") : QStringLiteral("Valor");
    }

    const EntryRow& row(int row) const { return rows_[std::size_t(row)]; }
    std::string_view text(modMain::TextRef ref) const { return document_.text(ref); }
    const std::vector<EntryRow>& rows() const { return rows_; }

    void fill(std::vector<EntryRow> rows)
    {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }

    void append(EntryRow row)
    {
        beginInsertRows({}, rowCount({}), rowCount({}));
        rows_.push_back(row);
        endInsertRows();
    }

    void setValue(int row, modMain::TextRef value)
    {
        rows_[std::size_t(row)].value = value;
        emit dataChanged(index(row, 1), index(row, 1));
    }

private:
    const modMain::Document& document_;
    std::vector<EntryRow> rows_;
};

// The views are only ever given these models, by the attach functions below.
GroupRows* groupRows(const QListView* groups)
{
    return static_cast<GroupRows*>(groups->model());
}

EntryRows* entryRows(const QTableView* entries)
{
    return static_cast<EntryRows*>(entries->model());
}

}  // namespace

void attachGroupRows(QListView* groups, const modMain::Document& document)
{
    groups->setModel(new GroupRows(document, groups));
}

void attachEntryRows(QTableView* entries, const modMain::Document& document)
{
    entries->setModel(new EntryRows(document, entries));
}

std::string selectedHeader(const QListView* groups)
{
    const QModelIndexList selected = groups->selectionModel()->selectedRows();
    return selected.isEmpty() ? std::string() : std::string(groupRows(groups)->header(selected.first().row()));
}

void fillGroupRows(QListView* groups, std::vector<modMain::TextRef> headers)
{
    groupRows(groups)->fill(std::move(headers));
    // No current row either: the first Down key then selects the first header
    // instead of the second, where the list would put its cursor on focus.
    groups->setCurrentIndex(QModelIndex());
}

void appendGroupRow(QListView* groups, modMain::TextRef header)
{
    groupRows(groups)->append(header);
}

bool hasGroupRow(const QListView* groups, std::string_view header)
{
    const GroupRows* rows = groupRows(groups);
    for (int row = 0; row < rows->rowCount({}); ++row) {
        if (rows->header(row) == header)
            return true;
    }
    return false;
}

void removeSelectedGroupRow(QListView* groups)
{
    const QModelIndexList selected = groups->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return;
    groupRows(groups)->remove(selected.first().row());
    groups->clearSelection();
}

void fillEntryRows(QTableView* entries, std::vector<EntryRow> rows)
{
    entryRows(entries)->fill(std::move(rows));
}

void clearEntryRows(QTableView* entries)
{
    entryRows(entries)->fill({});
}

void appendEntryRow(QTableView* entries, EntryRow row)
{
    entryRows(entries)->append(row);
}

bool hasEntryRowNamed(const QTableView* entries, std::string_view name)
{
    const EntryRows* rows = entryRows(entries);
    return std::any_of(rows->rows().begin(), rows->rows().end(),
                       [&](const EntryRow& row) { return rows->text(row.name) == name; });
}

std::optional<int> selectedEntryRow(const QTableView* entries)
{
    const QModelIndexList selected = entries->selectionModel()->selectedRows();
    if (selected.isEmpty())
        return std::nullopt;
    return selected.first().row();
}

std::string entryRowName(const QTableView* entries, int row)
{
    const EntryRows* rows = entryRows(entries);
    return std::string(rows->text(rows->row(row).name));
}

std::string entryRowValue(const QTableView* entries, int row)
{
    const EntryRows* rows = entryRows(entries);
    return std::string(rows->text(rows->row(row).value));
}

void setEntryRowValue(QTableView* entries, int row, modMain::TextRef value)
{
    entryRows(entries)->setValue(row, value);
}
