#include "app/process_settings.h"

#include <csignal>

void makeProcessSettings()
{
    std::signal(SIGXFSZ, SIG_IGN);
    std::signal(SIGIO, SIG_IGN);
}
