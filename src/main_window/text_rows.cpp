#include "main_window/text_rows.h"

#include "document/text_codec.h"

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

}  // namespace

TextRows::TextRows(const modMain::Document& document, QStringList headings, QObject* parent)
    : QAbstractTableModel(parent)
    , document_(document)
    , headings_(std::move(headings))
{
}

template <typename Row>
void TextRows::appendRows(std::vector<Row>& rows, const std::vector<Row>& more)
{
    if (more.empty())
        return;
    // Room first, grown as push_back would: what may throw comes before any row changes.
    if (rows.capacity() - rows.size() < more.size())
        rows.reserve(std::max(rows.capacity() * 2, rows.size() + more.size()));
    beginInsertRows({}, count(), count() + int(more.size()) - 1);
    rows.insert(rows.end(), more.begin(), more.end());
    endInsertRows();
}

int TextRows::rowCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : count();
}

int TextRows::columnCount(const QModelIndex& parent) const
{
    return parent.isValid() ? 0 : std::max<int>(1, int(headings_.size()));
}

QVariant TextRows::data(const QModelIndex& index, int role) const
{
    if (role != Qt::DisplayRole || !checkIndex(index, CheckIndexOption::IndexIsValid))
        return {};
    return shown(text(index.row(), index.column()));
}

QVariant TextRows::headerData(int section, Qt::Orientation orientation, int role) const
{
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole || section >= headings_.size())
        return {};
    return headings_[section];
}

int TextRows::rowOf(std::string_view text) const
{
    for (int row = 0; row < count(); ++row) {
        if (this->text(row, 0) == text)
            return row;
    }
    return -1;
}

GroupRows::GroupRows(const modMain::Document& document, QObject* parent)
    : TextRows(document, {}, parent)
{
}

int GroupRows::count() const
{
    return int(groups_.size());
}

std::string_view GroupRows::text(int row, int) const
{
    return document_.text(document_.group(group(row)).Header);
}

int GroupRows::rowOfGroup(int group) const
{
    const auto found = std::find(groups_.begin(), groups_.end(), group);
    return found == groups_.end() ? -1 : int(found - groups_.begin());
}

void GroupRows::fill(std::vector<std::int16_t> groups)
{
    beginResetModel();
    groups_ = std::move(groups);
    endResetModel();
}

void GroupRows::append(const std::vector<std::int16_t>& groups)
{
    appendRows(groups_, groups);
}

void GroupRows::remove(int row)
{
    beginRemoveRows({}, row, row);
    groups_.erase(groups_.begin() + row);
    endRemoveRows();
}

EntryRows::EntryRows(const modMain::Document& document, QObject* parent)
    : TextRows(document, {QStringLiteral("Parâmetro"), QStringLiteral("Valor")}, parent)
{
}

int EntryRows::count() const
{
    return int(entries_.size());
}

std::string_view EntryRows::text(int row, int column) const
{
    const modMain::LiveEntry& entry = entries_[std::size_t(row)];
    return document_.text(column == 0 ? entry.name : entry.value);
}

int EntryRows::rowOf(modMain::EntryPosition at) const
{
    const auto found = std::find_if(entries_.begin(), entries_.end(),
                                    [at](const auto& entry) { return entry.at == at; });
    return found == entries_.end() ? -1 : int(found - entries_.begin());
}

void EntryRows::fill(std::vector<modMain::LiveEntry> entries)
{
    beginResetModel();
    entries_ = std::move(entries);
    endResetModel();
}

void EntryRows::append(const std::vector<modMain::LiveEntry>& entries)
{
    appendRows(entries_, entries);
}

void EntryRows::showValue(modMain::EntryPosition at, modMain::TextRef value)
{
    if (const int row = rowOf(at); row >= 0) {
        entries_[std::size_t(row)].value = value;
        emit dataChanged(index(row, 1), index(row, 1));
    }
}
