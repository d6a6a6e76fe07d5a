// Writing captured frames off the drawing thread: the drawing thread hands over each grabbed
// frame (bottom row first, as read back) and goes on drawing; one writer thread turns it
// upright, encodes it as PNG and/or feeds it to the video pipe, in the order handed over.
// At most a few frames wait, so a slow encoder holds the drawing back instead of memory
// growing without bound.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

// Starts the writer thread. fastPng writes the PNG files at zlib level 1 with the "up" row
// filter alone (several times faster, somewhat larger files), else with libpng's defaults;
// video is the ffmpeg pipe or null.
void startFrameWriter(bool fastPng, FILE* video);

// A buffer to grab the next picture into (frameSizes' picture, RGB); waits while
// every buffer is still queued.
std::vector<unsigned char>* frameWriterBuffer();

// Hands over the buffer from frameWriterBuffer() holding frame number `index`: written as
// PNG to pngPath if that is not empty, and to the video pipe if toVideo; `upright`, if not
// null, receives the upright output frame at once (for the contact sheet).
void submitFrame(std::vector<unsigned char>* frame, long index, const std::string& pngPath,
                 bool toVideo, std::vector<unsigned char>* upright);

// The first failure of the writer thread ("" while none): the drawing thread stops on it.
std::string frameWriterFailure();
// The number of the first frame the video pipe did not take (ffmpeg has stopped), else -1.
long frameWriterVideoFailure();

// Writes what is queued, ends the thread; true when every frame was written.
bool stopFrameWriter();
