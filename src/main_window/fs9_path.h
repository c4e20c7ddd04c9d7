#pragma once

#include <QString>

// The shell's folder number of the current user's application-data folder.
constexpr int kCsidlAppData = 26;

// The path of a special folder of the current user, or the empty string when it
// cannot be found. On Windows any shell folder number (CSIDL) is accepted.
// Elsewhere the simulator runs under Wine and only the application-data folder
// is known: the one of the Wine prefix ($WINEPREFIX, else ~/.wine).
QString FS9Path(int folder);

// Where the simulator keeps its configuration: the application-data folder
// followed by \Microsoft\FS9\fs9.cfg, in the platform's separators.
QString defaultFS9File();
