#pragma once

#include <QString>

class QWidget;

// The program's message boxes: a fixed icon, title and text each, OK or Yes/No.
void showInformation(QWidget* parent, const QString& title, const QString& text);
void showCritical(QWidget* parent, const QString& title, const QString& text);

// Yes and No, Yes the default unless told otherwise; true for Yes.
bool askYesNo(QWidget* parent, const QString& title, const QString& text, bool yesIsDefault = true);

// The file stores 8-bit text, one entry per line. When `text` holds characters
// a line of the file cannot keep, says which and returns false.
bool acceptLineText(QWidget* parent, const QString& text);

// The same for a block of lines (line breaks allowed).
bool acceptBlockText(QWidget* parent, const QString& text);

// An entry must be written so that it reads back as typed: its characters must
// fit a line, its name must hold no "=", and it must not read as a header.
bool acceptEntry(QWidget* parent, const QString& name, const QString& value);

// The document's limits of 32767 groups and of 32767 entries in a group.
void showGroupLimit(QWidget* parent);
void showEntryLimit(QWidget* parent);
