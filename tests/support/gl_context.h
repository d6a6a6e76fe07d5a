// A real GL context for tests: Mesa's software renderer through SDL's offscreen video driver
// (no X server), a 1024x768 double-buffered window like the show's.
#pragma once
#include <string>

#include "platform/platform.h"

// Opens the window and context once per process; returns false (and the reason in
// *why) when no context can be made. Tests that need GL call GL_TEST_CONTEXT() first.
bool openTestGlContext(std::string* why);

// Makes the test context anew, of the kind the picture path `renderer` asks for, after
// releasing what the last one held (assets, glow targets, the fast tail, the programs, the
// texture table); false, with the reason in *why, when none can be made. The cases that draw
// through the shader path hold a ShaderPathContext instead.
bool reopenTestGlContext(Renderer renderer, std::string* why);

// The test context of `renderer` while it lives, the GL 1.x one again after: the other cases
// of the process find the context they expect.
struct ShaderPathContext {
  explicit ShaderPathContext(Renderer renderer) { open = reopenTestGlContext(renderer, &why); }
  ~ShaderPathContext() { reopenTestGlContext(RendererGl1, nullptr); }
  bool open;
  std::string why;
};

// Path of a file in a fresh per-test scratch folder under the build tree.
std::string scratchPath(const std::string& name);

#define GL_TEST_CONTEXT()                                           \
  do {                                                              \
    std::string why_;                                               \
    ASSERT_TRUE(openTestGlContext(&why_)) << "no GL context: " << why_; \
  } while (0)
