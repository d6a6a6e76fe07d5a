// The data folder and the file paths built on it.
#include "platform/data_folder.h"

#include <SDL2/SDL.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

#ifdef _WIN32
// Windows takes either separator; the paths this module builds and names use its own.
static const char SEPARATOR = '\\';
static bool isSeparator(char c) { return c == '\\' || c == '/'; }
// "\x", "/x", "\\server\x", "C:\x", and "C:x" (relative to that drive's folder, never to
// the working directory's).
static bool isAbsolute(const char* name) {
  return isSeparator(name[0]) || (name[0] && name[1] == ':');
}
// Windows' access() knows no execute right (Vista's and later refuse X_OK).
static const int READABLE_FOLDER = R_OK;
#else
static const char SEPARATOR = '/';
static bool isSeparator(char c) { return c == '/'; }
static bool isAbsolute(const char* name) { return name[0] == '/'; }
static const int READABLE_FOLDER = R_OK | X_OK;
#endif

static char folder[4096] = "data";
static char path[8192];
static const char separatorText[2] = {SEPARATOR, 0};

static bool readableFolder(const char* name) {
  struct stat info {};
  return stat(name, &info) == 0 && S_ISDIR(info.st_mode) && access(name, READABLE_FOLDER) == 0;
}

// Drops trailing separators, except the one of a root ("/", "\", "C:\").
static void dropTrailingSeparators(char* name) {
  size_t length = std::strlen(name);
  size_t keep = 1;
#ifdef _WIN32
  if (length >= 2 && name[1] == ':') keep = 3;
#endif
  while (length > keep && isSeparator(name[length - 1])) name[--length] = 0;
}

// Without --data: "data" in the working directory where there is one; else "data" beside
// the executable, then the installed data set where the build names one. None of them:
// "data" still, so that the missing folder is said as the working directory's.
static void findDefaultFolder() {
  std::snprintf(folder, sizeof folder, "data");
  if (readableFolder(folder)) return;
  char candidate[sizeof folder];
  if (char* base = SDL_GetBasePath()) {  // the executable's folder, ending in a separator
    std::snprintf(candidate, sizeof candidate, "%sdata", base);
    SDL_free(base);
    if (readableFolder(candidate)) {
      std::snprintf(folder, sizeof folder, "%s", candidate);
      return;
    }
  }
#ifdef SHOW_INSTALLED_DATA_DIR
  std::snprintf(candidate, sizeof candidate, "%s", SHOW_INSTALLED_DATA_DIR);
  dropTrailingSeparators(candidate);
  if (readableFolder(candidate)) std::snprintf(folder, sizeof folder, "%s", candidate);
#endif
}

void setDataFolder(const char* name) {
  if (!name || !name[0]) {            // a folder that is named is the only one tried
    findDefaultFolder();
    return;
  }
  std::snprintf(folder, sizeof folder, "%s", name);
  dropTrailingSeparators(folder);
}

const char* dataFolder() { return folder; }

const char* dataPath(const char* file) {
  // A root ("/", "C:\") already ends in the separator.
  size_t length = std::strlen(folder);
  bool ends = length > 0 && isSeparator(folder[length - 1]);
  std::snprintf(path, sizeof path, "%s%s%s", folder, ends ? "" : separatorText, file);
  return path;
}

int dataFolderExists() { return readableFolder(folder) ? 1 : 0; }

int reportMissingDataFolder(const char* program) {
  if (dataFolderExists()) return 0;
  char cwd[4096] = "";
  if (!isAbsolute(folder) && !getcwd(cwd, sizeof cwd)) cwd[0] = 0;
  dropTrailingSeparators(cwd);        // a root as the working directory: "/" or "C:\"
  size_t length = std::strlen(cwd);
  const char* separator = length && !isSeparator(cwd[length - 1]) ? separatorText : "";
  std::fprintf(stderr,
               "%s: no data set in %s%s%s: run the %s from the folder that holds data/, or give "
               "--data DIR\n",
               program, cwd, separator, folder, program);
  std::fflush(stderr);
  return 1;
}
