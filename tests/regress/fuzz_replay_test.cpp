// Every input a fuzz target was ever given to keep (tests/regress/inputs/<target>/) and the
// example files the fuzzers are seeded with (fuzz/examples/), run through the fuzzers'
// property checks. A fuzz finding is saved into inputs/ together with its fix.
#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "fuzz/fuzz_checks.h"
#include "support/gl_context.h"

namespace fs = std::filesystem;

namespace {

std::vector<uint8_t> fileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The files of inputs/<target>/ and those of fuzz/examples/ with the given extension.
std::vector<fs::path> inputsFor(const std::string& target, const std::string& exampleExtension) {
  std::vector<fs::path> paths;
  fs::path saved = fs::path(SHOW_SOURCE_DIR) / "tests/regress/inputs" / target;
  if (fs::is_directory(saved))
    for (const auto& entry : fs::directory_iterator(saved))
      if (entry.is_regular_file() && entry.path().filename() != ".keep") paths.push_back(entry.path());
  for (const auto& entry : fs::directory_iterator(fs::path(SHOW_SOURCE_DIR) / "fuzz/examples"))
    if (entry.path().extension() == exampleExtension) paths.push_back(entry.path());
  return paths;
}

typedef const char* (*PathCheck)(const uint8_t*, size_t, const char*);

void replay(const std::string& target, const std::string& extension,
            const char* (*check)(const uint8_t*, size_t)) {
  std::vector<fs::path> inputs = inputsFor(target, extension);
  ASSERT_FALSE(inputs.empty()) << "no inputs for " << target;
  for (const fs::path& path : inputs) {
    std::vector<uint8_t> bytes = fileBytes(path);
    const char* problem = check(bytes.data(), bytes.size());
    EXPECT_EQ(problem, nullptr) << path << ": " << (problem ? problem : "");
  }
}

void replayWithFile(const std::string& target, const std::string& extension, PathCheck check) {
  std::vector<fs::path> inputs = inputsFor(target, extension);
  ASSERT_FALSE(inputs.empty()) << "no inputs for " << target;
  std::string scratch = scratchPath("input");
  for (const fs::path& path : inputs) {
    std::vector<uint8_t> bytes = fileBytes(path);
    const char* problem = check(bytes.data(), bytes.size(), scratch.c_str());
    EXPECT_EQ(problem, nullptr) << path << ": " << (problem ? problem : "");
  }
}

}  // namespace

TEST(FuzzReplay, StaticMeshInputs) { replay("bof", ".bof", checkStaticMeshInput); }
TEST(FuzzReplay, AnimatedMeshInputs) { replay("baf", ".baf", checkAnimatedMeshInput); }
TEST(FuzzReplay, TextureInputs) { replayWithFile("texture", ".texture", checkTextureInput); }
TEST(FuzzReplay, ShaderInputs) { replayWithFile("shader", ".vert", checkShaderInput); }
TEST(FuzzReplay, BassEnvelopeInputs) { replayWithFile("bass", ".bass", checkBassInput); }
