// Where captured frames go: PNG files, the ffmpeg pipe of a video, the contact sheet.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

constexpr int FRAME_WIDTH = 1024;
constexpr int FRAME_HEIGHT = 768;

// Turns a frame as glReadPixels gives it (bottom row first) upright, into `upright`.
void flipRows(const unsigned char* bottomUp, unsigned char* upright, int width, int height);

// ffmpeg fed raw RGB frames on its standard input; the soundtrack muxed in from `audioPath`
// starting at `audioOffsetMs`, so that frame k is shown at k / fps seconds. H.264 at the same
// quality (CRF 18) with x264's "veryfast" preset, or "ultrafast" with `fastEncoder`: about
// twice the file size for much less of the processor, which the renderer shares.
FILE* openVideoPipe(const std::string& path, int fps, const std::string& audioPath, int audioOffsetMs,
                    bool fastEncoder);
bool closeVideoPipe(FILE* pipe);      // true when ffmpeg ended well
bool commandExists(const char* name);

// A contact sheet: the frames in a grid of `columns`, each scaled down and labelled.
struct SheetCell {
  std::vector<unsigned char> rgb;     // upright FRAME_WIDTH x FRAME_HEIGHT
  std::string label;
};
bool writeContactSheet(const std::string& path, const std::vector<SheetCell>& cells, int columns);
