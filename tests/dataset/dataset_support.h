// Shared by the data-set tests: one generated data set per build tree (made once, under a
// lock, whenever the generator is newer than it), file reading and the show's inventory.
#pragma once
#include <cstdint>
#include <string>
#include <vector>

// Folder of a complete data set written by the current make-data, or "" (with the reason in
// *why) when it could not be made.
std::string generatedDataSet(std::string* why);

// Runs make-data with the given arguments, its messages into a log beside outDir; true when it
// exits with 0.
bool runMakeData(const std::string& arguments, const std::string& logPath);

bool readWholeFile(const std::string& path, std::vector<uint8_t>* bytes);

struct PictureEntry {
  const char* name;
  int width, height;
};
struct MeshEntry {
  const char* name;
  int minKeyframes;   // 1 for a static mesh
};
extern const std::vector<PictureEntry> INVENTORY_PICTURES;   // 33
extern const std::vector<MeshEntry> INVENTORY_MESHES;        // 28

// A .raw picture of the data set, read whole (empty pixels when missing or short).
struct RawPicture {
  int width = 0, height = 0;
  std::vector<uint8_t> rgba;
  const uint8_t* at(int x, int y) const { return &rgba[(static_cast<size_t>(y) * width + x) * 4]; }
};
RawPicture readPicture(const std::string& dataDir, const PictureEntry& entry);
const PictureEntry& pictureEntry(const char* name);
