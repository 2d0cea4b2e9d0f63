#include "FuzzSupport.h"

#include "Startup.h"

#include <cstdio>
#include <cstdlib>

int shownMessageCount;

void ShowMessage(const char*)
{
    shownMessageCount++;
}

void StartInput()
{
    ResetSkinModel();
    shownMessageCount = 0;
}

void Require(bool condition, const char* what)
{
    if (condition)
        return;
    std::fprintf(stderr, "lum fuzz: %s\n", what);
    std::abort();
}
