#pragma once

#include <QDateTime>
#include <QList>
#include <QString>

namespace files {

// The shell's folder number of the current user's application-data folder.
constexpr int kCsidlAppData = 26;

// The path of a special folder of the current user, or the empty string when it
// cannot be found. On Windows any shell folder number (CSIDL) is accepted.
// Elsewhere the simulator runs under Wine and only the application-data folder
// is known: the one that holds the simulator's file (see defaultFS9File).
QString FS9Path(int folder);

// A copy of the simulator's file, and when it was last written.
struct FS9File {
    QString path;
    QDateTime modified;
};

// Where the simulator keeps its configuration: the application-data folder
// followed by \Microsoft\FS9\fs9.cfg. Under Wine every prefix is searched
// ($WINEPREFIX, ~/.wine, then those of Bottles, Lutris and PlayOnLinux), in
// each the user folders (the login name's, $USER's, steamuser's, then any
// other), in each AppData/Roaming and Application Data, every name matched in
// any letter case as Windows does. $WINEPREFIX's file alone when it holds one;
// otherwise every copy found, the one written last first. Empty when there is none.
QList<FS9File> findFS9Files();

// The first of them, or the empty string.
QString defaultFS9File();

}  // namespace files
