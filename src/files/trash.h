#pragma once

#include <QString>

namespace files {

// Moves the file to the desktop's trash, from where the user can bring it
// back: on Linux the freedesktop.org trash of the user's data folder
// ($XDG_DATA_HOME/Trash, ~/.local/share/Trash by default), made when missing;
// on Windows the Recycle Bin, never deleting it for good where a drive has
// none. Why not, in words for the user, with nothing moved, when it cannot;
// otherwise an empty text.
QString moveToTrash(const QString& path);

}  // namespace files
