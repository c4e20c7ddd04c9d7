#pragma once

#include <QIcon>

// The program's icon, drawn for it at 16, 32 and 48 pixels; every window shows it.
QIcon programIcon();
