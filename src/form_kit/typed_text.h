#pragma once

#include <QString>

#include <optional>
#include <string>

class QWidget;

// What the user types must be written to the file and read back as typed,
// or refused with a message saying why. The file stores 8-bit text, one entry per line. The file's bytes for `text`;
// when it holds characters a line of the file cannot keep, nothing, after
// saying which.
std::optional<std::string> acceptLineText(QWidget* parent, const QString& text);

// The same for a block of lines (line breaks allowed).
std::optional<std::string> acceptBlockText(QWidget* parent, const QString& text);

// An entry must be written so that it reads back as typed: its characters must
// fit a line, its name must hold no "=", and it must not read as a header.
struct EncodedEntry {
    std::string name;
    std::string value;
};
std::optional<EncodedEntry> acceptEntry(QWidget* parent, const QString& name, const QString& value);
