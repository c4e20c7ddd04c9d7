#pragma once

#include <QByteArrayList>
#include <QString>

#include <optional>

// What the program is asked for on its command line: `planora [arquivo]`.
struct CommandLine {
    std::optional<int> exitCode;  // set when the program ends at once: help, version or a wrong call
    QString file;                 // the file to open at start, made absolute; empty for none
    QString fileError;            // why that file cannot be opened, when its name alone tells
};

// Reads the arguments as programArguments gives them (the program's name first).
// Help and the version are printed to standard output in Portuguese, whatever
// the system's language; a wrong call prints why and the usage to standard
// error and ends with 2.
CommandLine parseCommandLine(const QByteArrayList& arguments);
