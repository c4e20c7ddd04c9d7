#pragma once

#include <QString>

class QWidget;

// The program's message boxes: a fixed icon, title and text each, OK or Yes/No.
void showInformation(QWidget* parent, const QString& title, const QString& text);
void showCritical(QWidget* parent, const QString& title, const QString& text);

// Yes and No, Yes the default; true for Yes.
bool askYesNo(QWidget* parent, const QString& title, const QString& text);

// The file stores 8-bit text, one entry per line. When `text` holds characters
// a line of the file cannot keep, says which and returns false.
bool acceptLineText(QWidget* parent, const QString& text);
