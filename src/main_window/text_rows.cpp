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

int TextRows::rowOf(std::string_view text, int occurrence) const
{
    for (int row = 0; row < count(); ++row) {
        if (this->text(row, 0) == text && occurrence-- == 0)
            return row;
    }
    return -1;
}

bool TextRows::showsRegardlessOfCase(std::string_view text) const
{
    for (int row = 0; row < count(); ++row) {
        if (modMain::sameRegardlessOfCase(this->text(row, 0), text))
            return true;
    }
    return false;
}

int TextRows::occurrenceOf(int row) const
{
    int occurrence = 0;
    for (int earlier = 0; earlier < row; ++earlier)
        occurrence += text(earlier, 0) == text(row, 0);
    return occurrence;
}

GroupRows::GroupRows(const modMain::Document& document, QObject* parent)
    : TextRows(document, {}, parent)
{
    groups_.reserve(modMain::kMaxSlots);
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

void GroupRows::showLiveGroups() noexcept
{
    beginResetModel();
    groups_.clear();
    for (int position = 1; position <= document_.GroupCount(); ++position) {
        if (document_.group(position).Alive)
            groups_.push_back(static_cast<std::int16_t>(position));
    }
    endResetModel();
}

void GroupRows::clear() noexcept
{
    beginResetModel();
    groups_.clear();
    endResetModel();
}

void GroupRows::append(std::int16_t group) noexcept
{
    beginInsertRows({}, count(), count());
    groups_.push_back(group);
    endInsertRows();
}

void GroupRows::remove(int row) noexcept
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

void EntryRows::makeRoom(std::size_t rows)
{
    // Grown as push_back would, so that rows appended one dialog at a time cost little.
    if (rows > entries_.capacity())
        entries_.reserve(std::max(rows, entries_.capacity() * 2));
}

void EntryRows::showEntriesOf(std::string_view header)
{
    makeRoom(document_.entrySlotsOf(header));
    beginResetModel();
    entries_.clear();
    document_.appendLiveEntriesOf(header, entries_);
    endResetModel();
}

void EntryRows::clear() noexcept
{
    beginResetModel();
    entries_.clear();
    endResetModel();
}

void EntryRows::append(const std::vector<modMain::LiveEntry>& entries) noexcept
{
    if (entries.empty())
        return;
    beginInsertRows({}, count(), count() + int(entries.size()) - 1);
    entries_.insert(entries_.end(), entries.begin(), entries.end());
    endInsertRows();
}

void EntryRows::showValue(modMain::EntryPosition at, modMain::TextRef value) noexcept
{
    if (const int row = rowOf(at); row >= 0) {
        entries_[std::size_t(row)].value = value;
        emit dataChanged(index(row, 1), index(row, 1));
    }
}
