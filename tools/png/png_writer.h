// The PNG writer every tool shares: 8-bit RGB, top row first, libpng's default settings
// unless a zlib level or row filter is given.
#pragma once
#include <string>

// Writes `width` x `height` RGB pixels (3 bytes each, rows packed, top row first) to `path`;
// false when the file cannot be opened or written, and then no partial file is left behind.
// `level` is zlib's compression level 0..9, or -1 for libpng's default; `filters` the row
// filters libpng may try (PNG_FILTER_* bits), or -1 for its default of trying every one.
bool writeRgbPng(const std::string& path, const unsigned char* rgb, int width, int height,
                 int level = -1, int filters = -1);
