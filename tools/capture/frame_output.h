// Where captured frames go: PNG files, the ffmpeg pipe of a video, the contact sheet.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

constexpr int FRAME_WIDTH = 1024;
constexpr int FRAME_HEIGHT = 768;

// Writes an RGB picture (top row first) as PNG with zlib level `level` (-1: libpng's
// default); false on any failure.
bool writePng(const std::string& path, const unsigned char* rgb, int width, int height, int level = -1);

// Turns a frame as glReadPixels gives it (bottom row first) upright, into `upright`.
void flipRows(const unsigned char* bottomUp, unsigned char* upright, int width, int height);

// ffmpeg fed raw RGB frames on its standard input; the soundtrack muxed in from `audioPath`
// starting at `audioOffsetMs`, so that frame k is shown at k / fps seconds.
FILE* openVideoPipe(const std::string& path, int fps, const std::string& audioPath, int audioOffsetMs);
bool closeVideoPipe(FILE* pipe);      // true when ffmpeg ended well
bool commandExists(const char* name);

// A contact sheet: the frames in a grid of `columns`, each scaled down and labelled.
struct SheetCell {
  std::vector<unsigned char> rgb;     // upright FRAME_WIDTH x FRAME_HEIGHT
  std::string label;
};
bool writeContactSheet(const std::string& path, const std::vector<SheetCell>& cells, int columns);
