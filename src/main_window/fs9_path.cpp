#include "main_window/fs9_path.h"

QString defaultFS9File()
{
    const QList<FS9File> files = findFS9Files();
    return files.isEmpty() ? QString() : files.constFirst().path;
}
