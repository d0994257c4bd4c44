// The POSIX calls that the shared tests use and Windows lacks; forced into every test program of
// the Windows build.
#pragma once

#include <cstdlib>

inline int setenv(const char* name, const char* value, int overwrite) {
    if (!overwrite && std::getenv(name))
        return 0;
    return _putenv_s(name, value) == 0 ? 0 : -1;
}
