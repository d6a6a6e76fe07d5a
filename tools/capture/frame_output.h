// Where captured frames go: PNG files, the ffmpeg pipe of a video, the contact sheet.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

// The capture's sizes: the output frame (each PNG file's, the video's) and the picture drawn
// for it, centred in it with black bars on the other sides (platform/display.h's rule).
// 1024x768 both unless --resolution asks for another frame; set before the writer starts.
struct FrameSizes {
  int width, height;                  // the output frame
  int pictureWidth, pictureHeight;    // the picture as drawn and read back
};
extern FrameSizes frameSizes;

// Turns a picture as glReadPixels gives it (bottom row first, pictureWidth x pictureHeight)
// into an upright output frame (width x height), centred, the bars black.
void frameFromPicture(const unsigned char* bottomUp, unsigned char* upright);

// ffmpeg fed raw RGB frames on its standard input; the soundtrack muxed in from `audioPath`
// starting at `audioOffsetMs`, so that frame k is shown at k / fps seconds. H.264 at the same
// quality (CRF 18) with x264's "veryfast" preset, or "ultrafast" with `fastEncoder`: about
// twice the file size for much less of the processor, which the renderer shares.
// The MP4 is written in fragments of about a second, each complete with its own index, so
// that the file plays up to its last fragment whenever the writing stops: a full disk, a
// killed process, a power cut. finishVideo turns it into an ordinary MP4 at the end.
// ffmpeg runs in a process group of its own, so the terminal's Ctrl-C reaches only the
// capture, which ends ffmpeg by closing its input; its messages go to a temporary file.
// Null when ffmpeg cannot be started.
FILE* openVideoPipe(const std::string& path, int fps, const std::string& audioPath, int audioOffsetMs,
                    bool fastEncoder);
bool closeVideoPipe(FILE* pipe);      // closes ffmpeg's input, waits for it; true when it ended well
std::string videoEncoderLastLine();   // ffmpeg's last line of messages, "" when it wrote none

// The fragmented MP4 at `path` remuxed (the streams copied, the index first) into a file
// beside it, which then replaces it. "" when done; else why it stays fragmented (too little
// free space, or the remux failed), and the fragmented file is left as it was.
std::string finishVideo(const std::string& path);

bool commandExists(const char* name);
// Whether the file system that holds `path` (a file, or a folder) has too little room left
// for a frame: what a failed write there most likely met.
bool diskFull(const std::string& path);

// A contact sheet: the frames in a grid of `columns`, each scaled down and labelled.
struct SheetCell {
  std::vector<unsigned char> rgb;     // an upright output frame
  std::string label;
};
bool writeContactSheet(const std::string& path, const std::vector<SheetCell>& cells, int columns);
