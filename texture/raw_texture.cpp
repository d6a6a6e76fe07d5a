// Headerless RGBA .raw pictures whose size is in the file name ("name_WxH.raw"), and the
// 64-slot table of GL texture names they are uploaded into (render/texture_upload.cpp loads
// and uploads them through the picture path).
// Owns TextureTable, textureTableReady and textureUploads.
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <GL/gl.h>

#include "texture/texture.h"

uint32_t TextureTable[TEXTURE_TABLE_SIZE];
int textureTableReady;
uint32_t textureUploads;

static const char FILE_NOT_FOUND_MESSAGE[] = "EEEEEEEEEEEK!!!     file not found!!";
static const char NO_MEMORY_MESSAGE[] = "EEEEEEEEEEEK!!!     not nuff mem!!";
// The loaders' messages go to stdout flushed at once, so they show while loading goes on,
// in order with stderr, not when the show exits.
static void loaderMessage(const char* text) {
  fputs(text, stdout);
  fflush(stdout);
}
static const int MAX_TEXTURE_SIDE = 4096;
static const int MAX_SIZE_DIGITS = 4;

// 1 to 4 decimal digits between first and last (exclusive); the value, or -1.
static int readSizeField(const char* first, const char* last) {
  long length = last - first;
  if (length < 1 || length > MAX_SIZE_DIGITS) return -1;
  int value = 0;
  for (const char* p = first; p < last; ++p) {
    if (*p < '0' || *p > '9') return -1;
    value = value * 10 + (*p - '0');
  }
  return value;
}

int parseTextureSize(const char* fileName, int* width, int* height) {
  *width = 0;
  *height = 0;
  if (!fileName) return 0;
  const char* dot = strrchr(fileName, '.');
  if (!dot) return 0;
  const char* x = dot;
  while (x > fileName && *x != 'x') --x;
  if (*x != 'x') return 0;
  const char* underscore = x;
  while (underscore > fileName && *underscore != '_') --underscore;
  if (*underscore != '_') return 0;
  int w = readSizeField(underscore + 1, x);
  int h = readSizeField(x + 1, dot);
  if (w < 1 || h < 1 || w > MAX_TEXTURE_SIDE || h > MAX_TEXTURE_SIDE) return 0;
  *width = w;
  *height = h;
  return 1;
}

void readRawPixels(const char* fileName, RawImage* image, int width, int height) {
  image->pixels = nullptr;
  image->width = 0;
  image->height = 0;
  if (width < 1 || height < 1 || width > MAX_TEXTURE_SIDE || height > MAX_TEXTURE_SIDE) {
    loaderMessage(FILE_NOT_FOUND_MESSAGE);   // no picture of that size can exist
    return;
  }
  FILE* file = fileName ? fopen(fileName, "rb") : nullptr;
  if (!file) loaderMessage(FILE_NOT_FOUND_MESSAGE);
  // Cleared: a missing file gives a transparent black picture, a short one a zero tail.
  size_t bytes = (size_t)width * (size_t)height * 4;
  unsigned char* pixels = (unsigned char*)calloc(1, bytes);
  if (!pixels) {
    loaderMessage(NO_MEMORY_MESSAGE);
    if (file) fclose(file);
    return;
  }
  if (file) {
    size_t got = fread(pixels, 1, bytes, file);
    (void)got;                        // a short file keeps its zero tail
    fclose(file);
  }
  image->pixels = pixels;
  image->width = (uint16_t)width;
  image->height = (uint16_t)height;
}

void loadRawImage(const char* fileName, RawImage* image) {
  int width, height;
  if (!parseTextureSize(fileName, &width, &height)) {
    // A name without a usable size is treated like a missing file.
    image->pixels = nullptr;
    image->width = 0;
    image->height = 0;
    loaderMessage(FILE_NOT_FOUND_MESSAGE);
    return;
  }
  readRawPixels(fileName, image, width, height);
}

void freeRawImage(RawImage* image) {
  free(image->pixels);
  image->pixels = nullptr;
  image->width = 0;
  image->height = 0;
}

void releaseTextures() {
  for (int i = 0; i < TEXTURE_TABLE_SIZE; ++i) {
    if (TextureTable[i] != 0) {
      GLuint name = TextureTable[i];
      glDeleteTextures(1, &name);
      TextureTable[i] = 0;
    }
  }
}

void resetTextureTable() {
  releaseTextures();
  textureTableReady = 0;
}

uint32_t textureName(TextureId id) {
  return id >= 0 && id < TEXTURE_TABLE_SIZE ? TextureTable[id] : 0;
}
