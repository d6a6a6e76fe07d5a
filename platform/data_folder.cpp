// The data folder and the file paths built on it.
#include "platform/data_folder.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstring>

static char folder[4096] = "data";
static char path[8192];

void setDataFolder(const char* name) {
  std::snprintf(folder, sizeof folder, "%s", name && name[0] ? name : "data");
  size_t length = std::strlen(folder);
  while (length > 1 && folder[length - 1] == '/') folder[--length] = 0;
}

const char* dataFolder() { return folder; }

const char* dataPath(const char* file) {
  // "/" alone already ends in the separator.
  const char* separator = std::strcmp(folder, "/") == 0 ? "" : "/";
  std::snprintf(path, sizeof path, "%s%s%s", folder, separator, file);
  return path;
}

int dataFolderExists() {
  struct stat info {};
  return stat(folder, &info) == 0 && S_ISDIR(info.st_mode) && access(folder, R_OK | X_OK) == 0 ? 1 : 0;
}

int reportMissingDataFolder(const char* program) {
  if (dataFolderExists()) return 0;
  char cwd[4096] = "";
  if (folder[0] != '/' && !getcwd(cwd, sizeof cwd)) cwd[0] = 0;
  std::fprintf(stderr,
               "%s: no data set in %s%s%s: run the %s from the folder that holds data/, or give "
               "--data DIR\n",
               program, cwd, cwd[0] ? "/" : "", folder, program);
  std::fflush(stderr);
  return 1;
}
