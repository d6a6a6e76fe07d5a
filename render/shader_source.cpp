// The hair shader's two source files as both back ends read them, and the light vector both
// hand to it. Owns the paths the sources are read from.
#include <sys/stat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "platform/data_folder.h"
#include "platform/platform.h"
#include "render/render_internal.h"

// Null: the file of that name in the data folder.
static const char* vertexShaderPath;
static const char* fragmentShaderPath;

void setShaderSourcePaths(const char* vertexPath, const char* fragmentPath) {
  vertexShaderPath = vertexPath;
  fragmentShaderPath = fragmentPath;
}

const char* hairShaderPath(int fragment) {
  if (fragment) return fragmentShaderPath ? fragmentShaderPath : dataPath("aniso_light.frag");
  return vertexShaderPath ? vertexShaderPath : dataPath("aniso_light.vert");
}

void readShaderFile(const char* path, char** text) {
  *text = nullptr;
  FILE* file = std::fopen(path, "r");
  if (!file) {
    showMessageBox("ERROR", "Cannot open shader file!", 1);
    return;
  }
  struct stat info;
  if (stat(path, &info) != 0) {
    showMessageBox("ERROR", "Cannot get file stats for shader file!", 1);
    std::fclose(file);
    return;
  }
  size_t size = (size_t)info.st_size;
  char* buffer = (char*)std::malloc(size + 1);
  if (!buffer) {
    std::fclose(file);
    return;
  }
  size_t got = std::fread(buffer, 1, size, file);
  std::fclose(file);
  // Text-mode reading: each carriage-return and line-feed pair arrives as one line feed,
  // whatever the platform's C library does, so the text may end before the file size.
  size_t out = 0;
  for (size_t in = 0; in < got; ++in) {
    if (buffer[in] == '\r' && in + 1 < got && buffer[in + 1] == '\n') continue;
    buffer[out++] = buffer[in];
  }
  buffer[out] = '\0';
  *text = buffer;
}

void hairLightVector(float light[4]) {
  light[0] = -0.4f;
  light[1] = -0.6f;
  light[2] = -0.8f;
  light[3] = 0.0f;
  float length = std::sqrt(light[0] * light[0] + light[1] * light[1] + light[2] * light[2]);
  if (length != 0.0f) {
    light[0] /= length;
    light[1] /= length;
    light[2] /= length;
  }
}
