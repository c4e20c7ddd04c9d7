#include "form_kit/program_icon.h"

QIcon programIcon()
{
    QIcon icon;
    for (const int size : {16, 32, 48})
        icon.addFile(QStringLiteral(":/icons/planora-%1.png").arg(size), QSize(size, size));
    return icon;
}
