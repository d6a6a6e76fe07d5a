// A real GL context for tests: Mesa's software renderer through SDL's offscreen video driver
// (no X server), a 1024x768 double-buffered window like the show's.
#pragma once
#include <string>

// Opens the window and context once per process; returns false (and the reason in
// *why) when no context can be made. Tests that need GL call GL_TEST_CONTEXT() first.
bool openTestGlContext(std::string* why);

// Path of a file in a fresh per-test scratch folder under the build tree.
std::string scratchPath(const std::string& name);

#define GL_TEST_CONTEXT()                                           \
  do {                                                              \
    std::string why_;                                               \
    ASSERT_TRUE(openTestGlContext(&why_)) << "no GL context: " << why_; \
  } while (0)
