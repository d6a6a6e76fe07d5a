// One PNG writer for the capture tool, make-data's previews, preview-mesh and the soundtrack
// plot, so the files they write come out the same way.
#include "png_writer.h"

#include <png.h>

#include <cstdio>

bool writeRgbPng(const std::string& path, const unsigned char* rgb, int width, int height,
                 int level, int filters) {
  if (!rgb || width <= 0 || height <= 0) return false;
  FILE* file = std::fopen(path.c_str(), "wb");
  if (!file) return false;
  png_structp png = png_create_write_struct(PNG_LIBPNG_VER_STRING, nullptr, nullptr, nullptr);
  png_infop info = png ? png_create_info_struct(png) : nullptr;
  if (!png || !info || setjmp(png_jmpbuf(png))) {
    png_destroy_write_struct(&png, &info);
    std::fclose(file);
    std::remove(path.c_str());
    return false;
  }
  png_init_io(png, file);
  if (level >= 0) png_set_compression_level(png, level);
  if (filters >= 0) png_set_filter(png, PNG_FILTER_TYPE_BASE, filters);
  png_set_IHDR(png, info, width, height, 8, PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
               PNG_COMPRESSION_TYPE_DEFAULT, PNG_FILTER_TYPE_DEFAULT);
  png_write_info(png, info);
  for (int y = 0; y < height; ++y) png_write_row(png, rgb + (size_t)y * width * 3);
  png_write_end(png, nullptr);
  png_destroy_write_struct(&png, &info);
  if (std::fclose(file) == 0) return true;
  std::remove(path.c_str());
  return false;
}
