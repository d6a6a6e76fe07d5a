// The bass envelope: reading the file and the cyclic lookup by scene time.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "audio/audio.h"
#include "support/gl_context.h"

namespace {
// A file of `size` bytes where byte i is (i * 7 + 3) mod 251 + 1: never 0, and neighbours differ.
std::string envelopeFile(const char* name, int size) {
  std::string path = scratchPath(name);
  FILE* f = std::fopen(path.c_str(), "wb");
  for (int i = 0; i < size; ++i) std::fputc((i * 7 + 3) % 251 + 1, f);
  std::fclose(f);
  return path;
}
unsigned char byteAt(int i) { return (unsigned char)((i * 7 + 3) % 251 + 1); }

// Loads the file with stderr captured; returns how often the message was shown. With no
// display the message box writes its caption to stderr instead.
int loadCountingMessages(const std::string& path) {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  testing::internal::CaptureStderr();
  loadBassEnvelope(path.c_str());
  std::string err = testing::internal::GetCapturedStderr();
  int count = 0;
  for (size_t at = err.find("TROUBLE WITH BASS!"); at != std::string::npos;
       at = err.find("TROUBLE WITH BASS!", at + 1))
    ++count;
  return count;
}
}  // namespace

// A full file: no message, every entry read; bytes past 8019 are ignored.
TEST(BassEnvelope, FullAndLongerFiles) {
  for (int size : {8019, 9000}) {
    EXPECT_EQ(loadCountingMessages(envelopeFile("env.raw", size)), 0) << size;
    int wrong = 0;
    for (int i = 0; i < BASS_ENVELOPE_SIZE; ++i) wrong += bassEnvelope[i] != byteAt(i);
    EXPECT_EQ(wrong, 0) << size;
  }
}

// A file one byte short: the message once, entry 8018 left 0; a missing or empty file: the
// message once and zeros, even over a table loaded before.
TEST(BassEnvelope, ShortAndMissingFiles) {
  EXPECT_EQ(loadCountingMessages(envelopeFile("short.raw", 8018)), 1);
  EXPECT_EQ(bassEnvelope[8017], byteAt(8017));
  EXPECT_EQ(bassEnvelope[8018], 0);
  EXPECT_EQ(bassEnvelope[0], byteAt(0));
  EXPECT_EQ(loadCountingMessages(envelopeFile("empty.raw", 0)), 1);
  EXPECT_EQ(bassEnvelope[0], 0);
  loadCountingMessages(envelopeFile("full.raw", 8019));
  EXPECT_EQ(loadCountingMessages(scratchPath("missing.raw")), 1);
  int nonZero = 0;
  for (unsigned char b : bassEnvelope) nonZero += b != 0;
  EXPECT_EQ(nonZero, 0);
}

// The lookup: trunc(u * 4009.5) mod 8019, repeating every 2.0 units of u.
TEST(BassEnvelope, LookupBySceneTime) {
  loadCountingMessages(envelopeFile("env.raw", 8019));
  const struct { float u; int entry; } cases[] = {
      {0.0f, 0},        {1.0f, 4009},      {2.0f, 0},          {0.0005f, 2},
      {0.00025f, 1},    {1.9999f, 8018},   {3.0f, 4009},       {22.0f, 0},
      {0.25f, 1002},    {-0.0001f, 0},     {-1.0f, 8019 - 4009},
  };
  for (const auto& c : cases) EXPECT_EQ(bassEnvelopeAt(c.u), byteAt(c.entry)) << c.u;
  EXPECT_EQ(bassEnvelopeAt(NAN), byteAt(0));
  EXPECT_EQ(bassEnvelopeAt(INFINITY), byteAt(0));
}
