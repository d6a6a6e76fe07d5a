// The .raw reader and the texture table: sizes from file names, pixel reading of exact,
// short, long and missing files, slot allocation, release, binding and mipmaps.
#include <gtest/gtest.h>

#include <GL/gl.h>

#include <cstdio>
#include <string>
#include <vector>

#include "render/render.h"
#include "support/gl_context.h"
#include "texture/texture.h"

static const std::string NOT_FOUND = "EEEEEEEEEEEK!!!     file not found!!";

static void writeBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  ASSERT_NE(f, nullptr) << path;
  fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

static std::vector<unsigned char> countingBytes(size_t n) {
  std::vector<unsigned char> bytes(n);
  for (size_t i = 0; i < n; ++i) bytes[i] = (unsigned char)(i * 7 + 1);
  return bytes;
}

// GL state as the show sets it; errors left by the shader set-up are not ours to check.
// A context, the fixed GL state and an empty table as at start.
static void startGl() {
  initGlState();
  resetTextureTable();
  while (glGetError() != GL_NO_ERROR) {
  }
}

TEST(RawTexture, SizeComesFromTheFileName) {
  struct Case {
    const char* name;
    int ok, width, height;
  } cases[] = {
      {"data/grtz_4096x64.raw", 1, 4096, 64},          // not swapped
      {"data/rasoirplat_manche_256x256.raw", 1, 256, 256},  // the last "_" counts
      {"data/clip_4x4.raw", 1, 4, 4},
      {"./data/a_b_1x4096.raw", 1, 1, 4096},
      {"data/tex_0032x8.raw", 1, 32, 8},
      {"data/clip.raw", 0, 0, 0},                      // no pattern
      {"data/clip_4x4", 0, 0, 0},                      // no dot
      {"data/clip4x4.raw", 0, 0, 0},                   // no underscore
      {"data/clip_4x.raw", 0, 0, 0},
      {"data/clip_x4.raw", 0, 0, 0},
      {"data/clip_0x4.raw", 0, 0, 0},                  // zero side
      {"data/clip_4x0.raw", 0, 0, 0},
      {"data/clip_4097x4.raw", 0, 0, 0},               // above 4096
      {"data/clip_12345x4.raw", 0, 0, 0},              // five digits
      {"data/clip_4X4.raw", 0, 0, 0},                  // lower-case x only
      {"data/clip_ 4x4.raw", 0, 0, 0},
      {"data/clip_-4x4.raw", 0, 0, 0},
      {"data/clip_+4x4.raw", 0, 0, 0},
      {"data/clip_4x4a.raw", 0, 0, 0},
      {"data/clip_4x4.b.raw", 0, 0, 0},                // the last dot counts
      {"", 0, 0, 0},
  };
  for (const Case& c : cases) {
    int w = -1, h = -1;
    EXPECT_EQ(parseTextureSize(c.name, &w, &h), c.ok) << c.name;
    EXPECT_EQ(w, c.width) << c.name;
    EXPECT_EQ(h, c.height) << c.name;
  }
  int w = -1, h = -1;
  EXPECT_EQ(parseTextureSize(nullptr, &w, &h), 0);
}

TEST(RawTexture, PixelsOfExactShortLongAndMissingFiles) {
  std::string exact = scratchPath("clip_4x4.raw");
  std::string shortFile = scratchPath("short_4x4.raw");
  std::string longFile = scratchPath("long_2x2.raw");
  std::vector<unsigned char> bytes = countingBytes(64);
  writeBytes(exact, bytes);
  writeBytes(shortFile, std::vector<unsigned char>(bytes.begin(), bytes.begin() + 10));
  writeBytes(longFile, countingBytes(100));

  RawImage image{};
  testing::internal::CaptureStdout();
  loadRawImage(exact.c_str(), &image);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(image.width, 4);
  EXPECT_EQ(image.height, 4);
  EXPECT_EQ(std::vector<unsigned char>(image.pixels, image.pixels + 64), bytes);
  freeRawImage(&image);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.width, 0);

  loadRawImage(shortFile.c_str(), &image);      // the missing tail reads as zero
  ASSERT_NE(image.pixels, nullptr);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(image.pixels[i], i < 10 ? bytes[i] : 0) << i;
  freeRawImage(&image);

  loadRawImage(longFile.c_str(), &image);       // only the first 2 x 2 x 4 bytes
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(std::vector<unsigned char>(image.pixels, image.pixels + 16), countingBytes(16));
  freeRawImage(&image);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");

  testing::internal::CaptureStdout();
  loadRawImage("data/nowhere_8x2.raw", &image);   // a transparent black picture of its size
  EXPECT_EQ(testing::internal::GetCapturedStdout(), NOT_FOUND);
  ASSERT_NE(image.pixels, nullptr);
  EXPECT_EQ(image.width, 8);
  EXPECT_EQ(image.height, 2);
  for (int i = 0; i < 64; ++i) EXPECT_EQ(image.pixels[i], 0);
  freeRawImage(&image);

  testing::internal::CaptureStdout();
  loadRawImage(exact.substr(0, exact.size() - 8).c_str(), &image);   // name without a size
  readRawPixels(exact.c_str(), &image, 5000, 4);                     // a size no picture has
  EXPECT_EQ(testing::internal::GetCapturedStdout(), NOT_FOUND + NOT_FOUND);
  EXPECT_EQ(image.pixels, nullptr);
  EXPECT_EQ(image.width, 0);
  EXPECT_EQ(image.height, 0);
}

TEST(RawTexture, ReleaseWithoutLoadsAndSafeLookup) {
  resetTextureTable();                          // what earlier cases loaded
  releaseTextures();                            // nothing loaded, no GL context needed
  releaseTextures();
  EXPECT_EQ(textureTableReady, 0);
  TextureTable[3] = 17;
  EXPECT_EQ(textureName(3), 17u);
  EXPECT_EQ(textureName(-1), 0u);
  EXPECT_EQ(textureName(64), 0u);
  EXPECT_EQ(textureName(-5), 0u);
  TextureTable[3] = 0;
}

TEST(RawTextureGl, UploadsPixelsWithMipmapsAndLeavesItBound) {
  GL_TEST_CONTEXT();
  startGl();
  std::string path = scratchPath("clip_4x4.raw");
  std::vector<unsigned char> bytes = countingBytes(64);
  writeBytes(path, bytes);
  TextureId id = loadRawTexture(path.c_str());
  EXPECT_EQ(id, 0);
  EXPECT_EQ(textureTableReady, 1);
  ASSERT_NE(TextureTable[0], 0u);
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  EXPECT_EQ((GLuint)bound, TextureTable[0]);
  std::vector<unsigned char> back(64);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
  EXPECT_EQ(back, bytes);
  GLint w = 0, h = 0, minFilter = 0, magFilter = 0, wrap = 0;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_WIDTH, &w);   // the chain reaches 1 x 1
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 2, GL_TEXTURE_HEIGHT, &h);
  EXPECT_EQ(w, 1);
  EXPECT_EQ(h, 1);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &minFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &magFilter);
  glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &wrap);
  EXPECT_EQ(minFilter, GL_LINEAR_MIPMAP_LINEAR);
  EXPECT_EQ(magFilter, GL_LINEAR);
  EXPECT_EQ(wrap, GL_REPEAT);

  // Width and height from different fields: a 8 x 2 picture keeps its shape.
  std::string wide = scratchPath("wide_8x2.raw");
  writeBytes(wide, countingBytes(64));
  EXPECT_EQ(loadRawTexture(wide.c_str()), 1);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
  EXPECT_EQ(w, 8);
  EXPECT_EQ(h, 2);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(RawTextureGl, MissingFilesStillGetAValidSlot) {
  GL_TEST_CONTEXT();
  startGl();
  testing::internal::CaptureStdout();
  TextureId missing = loadRawTexture("data/not_there_4x4.raw");
  TextureId nameless = loadRawTexture("data/not_there.raw");
  EXPECT_EQ(testing::internal::GetCapturedStdout(), NOT_FOUND + NOT_FOUND);
  EXPECT_EQ(missing, 0);
  EXPECT_EQ(nameless, 1);
  // The missing file's texture is transparent black, never stale memory.
  glBindTexture(GL_TEXTURE_2D, textureName(missing));
  std::vector<unsigned char> back(64, 0xAA);
  glGetTexImage(GL_TEXTURE_2D, 0, GL_RGBA, GL_UNSIGNED_BYTE, back.data());
  EXPECT_EQ(back, std::vector<unsigned char>(64, 0));
  // A name without a size gives a texture object without picture data.
  ASSERT_NE(textureName(nameless), 0u);
  glBindTexture(GL_TEXTURE_2D, textureName(nameless));
  GLint w = -1;
  glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
  EXPECT_EQ(w, 0);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(RawTextureGl, SixtyFourSlotsThenNoneUntilReleased) {
  GL_TEST_CONTEXT();
  startGl();
  std::string path = scratchPath("tiny_4x4.raw");
  writeBytes(path, countingBytes(64));
  for (int i = 0; i < 64; ++i) ASSERT_EQ(loadRawTexture(path.c_str()), i);
  std::vector<GLuint> names(TextureTable, TextureTable + 64);
  // Full: -1, and no file is even opened (no message for a missing one).
  testing::internal::CaptureStdout();
  EXPECT_EQ(loadRawTexture("data/not_there_4x4.raw"), -1);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  releaseTextures();
  for (int i = 0; i < 64; ++i) {
    EXPECT_EQ(TextureTable[i], 0u) << i;
    EXPECT_FALSE(glIsTexture(names[i])) << i;
  }
  EXPECT_EQ(textureTableReady, 1);
  EXPECT_EQ(loadRawTexture(path.c_str()), 0);
  releaseTextures();
}
