// Included into every test source of the Windows build (tests/CMakeLists.txt): the POSIX
// calls the tests use that the Windows C runtime names otherwise. The environment goes
// through _putenv_s, which changes the process's own environment too, where SDL reads it.
#pragma once
// M_PI and the other constants, which mingw's <cmath> names in strict C++ only on request.
#ifndef _USE_MATH_DEFINES
#define _USE_MATH_DEFINES
#endif
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>

inline int setenv(const char* name, const char* value, int overwrite) {
  if (!overwrite && getenv(name)) return 0;
  return _putenv_s(name, value) == 0 ? 0 : -1;
}

inline int unsetenv(const char* name) {  // an empty value removes the variable
  return _putenv_s(name, "") == 0 ? 0 : -1;
}

inline int pipe(int ends[2]) { return _pipe(ends, 65536, _O_BINARY); }
