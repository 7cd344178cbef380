// SPDX-License-Identifier: MIT
#pragma once

// The few POSIX calls the tests use to make folders and set the environment,
// also where the C library lacks them (MinGW).
#include <stdlib.h>

#ifdef _WIN32
#include <direct.h>
#include <io.h>

#include <cstring>
#include <string>

inline char* mkdtemp(char* pattern)
{
    if (_mktemp_s(pattern, std::strlen(pattern) + 1) != 0 || _mkdir(pattern) != 0) {
        return nullptr;
    }
    return pattern;
}

inline int setenv(const char* name, const char* value, int)
{
    return _putenv_s(name, value);
}

inline int unsetenv(const char* name)
{
    return _putenv_s(name, "");
}
#else
#include <unistd.h>
#endif
