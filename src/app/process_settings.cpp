#include "app/process_settings.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <csignal>
#endif

void makeProcessSettings()
{
#ifdef _WIN32
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX);
#else
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGIO, SIG_IGN);
#endif
}
