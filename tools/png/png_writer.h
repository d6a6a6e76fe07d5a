// The PNG writer every tool shares: 8-bit RGB, top row first, libpng's default settings.
#pragma once
#include <string>

// Writes `width` x `height` RGB pixels (3 bytes each, rows packed, top row first) to `path`;
// false when the file cannot be opened or written, and then no partial file is left behind.
bool writeRgbPng(const std::string& path, const unsigned char* rgb, int width, int height);
