#ifndef LUM_BENCH_PLAINWINDOW_H
#define LUM_BENCH_PLAINWINDOW_H

#include <windows.h>

// What the baselines share: a top-most, frameless popup at (50, 50) of the
// given size, painted one colour, ending on Escape. onPress, which may be
// null, runs at each left press. The exit code: 0, or 1 when the class cannot
// be registered.
int RunPlainWindow(HINSTANCE instance, const char* className, COLORREF colour, int width, int height,
                   void (*onPress)());

#endif
