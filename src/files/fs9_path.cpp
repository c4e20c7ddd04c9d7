#include "files/fs9_path.h"

namespace files {

QString defaultFS9File()
{
    const QList<FS9File> files = findFS9Files();
    return files.isEmpty() ? QString() : files.constFirst().path;
}

}  // namespace files
