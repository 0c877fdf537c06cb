#pragma once

// The POSIX call the shared suites set the local time zone with, on the Windows C runtime. Included ahead
// of every source of those suites in the Windows build, so that they stay as they are.

#include <stdlib.h>
#include <time.h>

inline int setenv(const char* name, const char* value, int) {
    return _putenv_s(name, value);
}
