#pragma once

#include "document/document.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <cstdint>
#include <string_view>
#include <vector>

// The rows of the window's two lists, each standing for its own group or
// entry of the document, never sorted. A row keeps the document's position
// and texts without copying them, so a list of a million rows costs a few
// bytes a row and fills at once. What a list does once it has room never runs
// out of memory: following a change cannot fail half-way.
class TextRows : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A row's text as the file's bytes.
    virtual std::string_view text(int row, int column) const = 0;
    // The row whose first column reads exactly `text`, the first or the
    // `occurrence`-th after it, or -1.
    int rowOf(std::string_view text, int occurrence = 0) const;
    // How many rows above this one read as it does in the first column.
    int occurrenceOf(int row) const;
    bool shows(std::string_view text) const { return rowOf(text) >= 0; }
    // Whether a row reads `text` in the first column, letter case aside.
    bool showsRegardlessOfCase(std::string_view text) const;

protected:
    TextRows(const modMain::Document& document, QStringList headings, QObject* parent);

    const modMain::Document& document_;

private:
    virtual int count() const = 0;

    const QStringList headings_;
};

// One row per live group, in position order, showing its header: the n-th
// row of a header is the n-th live group carrying it. It has room for every
// group a document can hold from the start.
class GroupRows final : public TextRows {
public:
    GroupRows(const modMain::Document& document, QObject* parent);

    std::string_view text(int row, int column) const override;
    int group(int row) const { return groups_[std::size_t(row)]; }
    // The row of the group at this position, or -1.
    int rowOfGroup(int group) const;
    using TextRows::rowOf;

    // Every live group of the document, or none.
    void showLiveGroups() noexcept;
    void clear() noexcept;
    void append(std::int16_t group) noexcept;
    void remove(int row) noexcept;

private:
    int count() const override;

    std::vector<std::int16_t> groups_;
};

// One row per entry: its name and its value.
class EntryRows final : public TextRows {
public:
    EntryRows(const modMain::Document& document, QObject* parent);

    std::string_view text(int row, int column) const override;
    modMain::EntryPosition position(int row) const { return entries_[std::size_t(row)].at; }
    // The row of the entry at this position, or -1.
    int rowOf(modMain::EntryPosition at) const;
    using TextRows::rowOf;

    // Room for this many rows; may run out of memory, changing nothing.
    void makeRoom(std::size_t rows);
    // The live entries of every live group carrying `header`, within the room
    // made for the header's entry slots (made here when it is missing).
    void showEntriesOf(std::string_view header);
    void clear() noexcept;
    // Within the room made for them.
    void append(const std::vector<modMain::LiveEntry>& entries) noexcept;
    // The entry's row, if it has one, shows this value from now on.
    void showValue(modMain::EntryPosition at, modMain::TextRef value) noexcept;

private:
    int count() const override;

    std::vector<modMain::LiveEntry> entries_;
};
