#include "uiservices.h"

#include <cstdlib>
#include <cstdio>

namespace platform {

namespace {
UiServices *g_services = nullptr;
}

UiServices &ui()
{
    if (!g_services) {
        std::fputs("cheqora: user-interface services used before they were installed\n", stderr);
        std::abort();
    }
    return *g_services;
}

void setUi(UiServices *services)
{
    g_services = services;
}

} // namespace platform
