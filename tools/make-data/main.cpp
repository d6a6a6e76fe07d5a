// make-data — writes the show's default data set.
//
//   make-data [--out DIR] [--only meshes|pictures|shaders|soundtrack]
//   make-data --check-soundtrack [--out DIR]
//   make-data --preview-pictures DIR      (a PNG of every picture, nothing else)
//
// DIR defaults to "data". The output is byte-identical on every run. The exit status is 0
// only when every file was written.
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>

#include "make_data.h"

void progress(const char* part, const char* what) {
  std::fprintf(stderr, "make-data: %-10s %s\n", part, what);
}

static int usage() {
  std::fprintf(stderr,
               "usage: make-data [--out DIR] [--only meshes|pictures|shaders|soundtrack]\n"
               "       make-data --check-soundtrack [--out DIR]\n"
               "       make-data --preview-pictures DIR\n");
  return 2;
}

int main(int argc, char** argv) {
  std::string out = "data";
  std::string only;
  bool check = false;
  std::string previewDir;
  for (int i = 1; i < argc; ++i) {
    if (!std::strcmp(argv[i], "--out") && i + 1 < argc) {
      out = argv[++i];
    } else if (!std::strcmp(argv[i], "--only") && i + 1 < argc) {
      only = argv[++i];
    } else if (!std::strcmp(argv[i], "--preview-pictures") && i + 1 < argc) {
      previewDir = argv[++i];
    } else if (!std::strcmp(argv[i], "--check-soundtrack")) {
      check = true;
    } else {
      std::fprintf(stderr, "make-data: unknown argument '%s'\n", argv[i]);
      return usage();
    }
  }
  if (check) return checkSoundtrack(out) == 0 ? 0 : 1;

  std::error_code error;
  if (!previewDir.empty()) {
    std::filesystem::create_directories(previewDir, error);
    writePicturePreviews(previewDir);
    return writeFailures() == 0 ? 0 : 1;
  }
  std::filesystem::create_directories(out, error);
  if (error) {
    std::fprintf(stderr, "make-data: cannot create '%s': %s\n", out.c_str(), error.message().c_str());
    return 1;
  }
  // The soundtrack is the longest part: it runs beside the others.
  std::thread music;
  if (only.empty() || only == "soundtrack") music = std::thread([&] { writeSoundtrack(out); });
  if (only.empty() || only == "meshes") writeMeshes(out);
  if (only.empty() || only == "pictures") writePictures(out);
  if (only.empty() || only == "shaders") writeShaders(out);
  if (music.joinable()) music.join();
  if (int failed = writeFailures()) {
    std::fprintf(stderr, "make-data: %d files not written into '%s'\n", failed, out.c_str());
    return 1;
  }
  progress("done", out.c_str());
  return 0;
}
