#pragma once

#include <QString>
#include <QStringList>

#include <optional>

// What the program is asked for on its command line: `planora [FILE]`.
struct CommandLine {
    std::optional<int> exitCode;  // set when the program ends at once: help, version or a wrong call
    QString file;                 // the file to open at start, made absolute; empty for none
};

// Reads the arguments (the program's name first). Help and the version are
// printed to standard output; a wrong call prints why and the usage to
// standard error and ends with 2.
CommandLine parseCommandLine(const QStringList& arguments);
