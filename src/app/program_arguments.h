#pragma once

#include <QByteArrayList>
#include <QString>

// The program's arguments as the system gives them, and their text: on Linux
// the bytes of argv, in the encoding of the user's locale, which may not read
// every name; on Windows the wide command line, whatever the ANSI code page,
// as UTF-8.
QByteArrayList programArguments(int argc, char** argv);
QString argumentText(const QByteArray& argument);
QByteArray argumentBytes(const QString& text);
