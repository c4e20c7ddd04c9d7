// The Recycle Bin on Windows, where Qt moves a file as Explorer's delete does.
#include "document/trash.h"

#include <QFile>

namespace modMain {

bool moveToTrash(const QString& path)
{
    return QFile::moveToTrash(path);
}

}  // namespace modMain
