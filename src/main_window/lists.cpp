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

// A row's texts, column by column: a group row is its header, an entry row its name and value.
modMain::TextRef cell(modMain::TextRef header, int) { return header; }
modMain::TextRef cell(const EntryRow& entry, int column) { return column == 0 ? entry.name : entry.value; }

// Rows of texts of a document, shown as they were when each row was made.
template <typename Row>
class TextRows : public QAbstractTableModel {
public:
    TextRows(const modMain::Document& document, QStringList headings, QObject* parent)
        : QAbstractTableModel(parent)
        , document_(document)
        , headings_(std::move(headings))
    {
    }

    int rowCount(const QModelIndex& parent) const override { return parent.isValid() ? 0 : int(rows_.size()); }
    int columnCount(const QModelIndex& parent) const override
    {
        return parent.isValid() ? 0 : std::max<int>(1, int(headings_.size()));
    }

    QVariant data(const QModelIndex& index, int role) const override
    {
        if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
            return {};
        return shown(text(index.row(), index.column()));
    }

    QVariant headerData(int section, Qt::Orientation orientation, int role) const override
    {
        if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= headings_.size())
            return {};
        return headings_[section];
    }

    std::string_view text(int row, int column) const { return document_.text(cell(rows_[std::size_t(row)], column)); }

    // Whether a row's first column reads exactly `text`.
    bool holds(std::string_view text) const
    {
        for (int row = 0; row < rowCount({}); ++row) {
            if (this->text(row, 0) == text)
                return true;
        }
        return false;
    }
    const std::vector<Row>& rows() const { return rows_; }

    void fill(std::vector<Row> rows)
    {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
    }

    void append(Row row)
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

    void set(int row, Row value)
    {
        rows_[std::size_t(row)] = value;
        emit dataChanged(index(row, 0), index(row, columnCount({}) - 1));
    }

private:
    const modMain::Document& document_;
    const QStringList headings_;
    std::vector<Row> rows_;
};

using GroupRows = TextRows<modMain::TextRef>;
using EntryRows = TextRows<EntryRow>;

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
    groups->setModel(new GroupRows(document, {}, groups));
}

void attachEntryRows(QTableView* entries, const modMain::Document& document)
{
    entries->setModel(new EntryRows(document, {QStringLiteral("Parâmetro"), QStringLiteral("Valor")}, entries));
}

std::string selectedHeader(const QListView* groups)
{
    const QModelIndexList selected = groups->selectionModel()->selectedRows();
    return selected.isEmpty() ? std::string() : std::string(groupRows(groups)->text(selected.first().row(), 0));
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
    return groupRows(groups)->holds(header);
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
    return entryRows(entries)->holds(name);
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
    return std::string(entryRows(entries)->text(row, 0));
}

std::string entryRowValue(const QTableView* entries, int row)
{
    return std::string(entryRows(entries)->text(row, 1));
}

void setEntryRowValue(QTableView* entries, int row, modMain::TextRef value)
{
    EntryRows* rows = entryRows(entries);
    rows->set(row, {rows->rows()[std::size_t(row)].name, value});
}
