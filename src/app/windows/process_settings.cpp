#include "app/process_settings.h"

#include <windows.h>

void makeProcessSettings()
{
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
}
