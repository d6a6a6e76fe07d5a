// make-data: writes the show's default data set. Each part writes its own files into the
// output folder and reports progress on stderr; everything is deterministic (fixed seeds,
// no clock, no locale).
#pragma once
#include <string>

void writeMeshes(const std::string& outDir);      // the 28 .bof/.baf files (meshes*.cpp)
void writePictures(const std::string& outDir);    // the 33 .raw pictures (pictures*.cpp)
void writePicturePreviews(const std::string& outDir);  // a PNG of each picture, to look at
void writeShaders(const std::string& outDir);     // aniso_light.vert and .frag (shaders.cpp)
void writeSoundtrack(const std::string& outDir);  // maronekt-mix6.mp3 and bassloop_low.raw (soundtrack*.cpp)
int checkSoundtrack(const std::string& dataDir);  // decodes and measures the soundtrack; 0 when it meets its targets

void progress(const char* part, const char* what);   // one line on stderr (the program defines it)

// A file that could not be written: a line on stderr, and one more in writeFailures(), which
// the program turns into its exit status. Callable from any thread.
void reportWriteFailure(const std::string& path);
int writeFailures();
