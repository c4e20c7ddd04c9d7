#pragma once

#include "document/document.h"

#include <QAbstractTableModel>
#include <QStringList>

#include <string>
#include <string_view>
#include <vector>

// The rows of the window's two lists: texts of the document as they were when
// each row was made, never sorted. A row keeps the document's texts without
// copying them, so a list of a million rows costs a few bytes a row and fills
// at once.
class TextRows : public QAbstractTableModel {
public:
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // A row's text as the file's bytes.
    virtual std::string_view text(int row, int column) const = 0;
    // The first row whose first column reads exactly `text`, or -1.
    int rowOf(std::string_view text) const;
    bool shows(std::string_view text) const { return rowOf(text) >= 0; }

protected:
    TextRows(const modMain::Document& document, QStringList headings, QObject* parent);

    // Appends all of `more` to `rows`, or none when memory runs out.
    template <typename Row>
    void appendRows(std::vector<Row>& rows, const std::vector<Row>& more);

    const modMain::Document& document_;

private:
    virtual int count() const = 0;

    const QStringList headings_;
};

// One row per live group, in position order, showing its header: the n-th
// row of a header is the n-th live group carrying it.
class GroupRows final : public TextRows {
public:
    GroupRows(const modMain::Document& document, QObject* parent);

    std::string_view text(int row, int column) const override;
    int group(int row) const { return groups_[std::size_t(row)]; }
    // The row of the group at this position, or -1.
    int rowOfGroup(int group) const;
    using TextRows::rowOf;
    void fill(std::vector<std::int16_t> groups);
    // All of them, or none when memory runs out.
    void append(const std::vector<std::int16_t>& groups);
    void remove(int row);

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
    void fill(std::vector<modMain::LiveEntry> entries);
    // All of them, or none when memory runs out.
    void append(const std::vector<modMain::LiveEntry>& entries);
    // The entry's row, if it has one, shows this value from now on.
    void showValue(modMain::EntryPosition at, modMain::TextRef value);

private:
    int count() const override;

    std::vector<modMain::LiveEntry> entries_;
};
