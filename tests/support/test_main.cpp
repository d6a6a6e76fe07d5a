// Entry point of every test program: the environment the show's tests run in (no X server,
// no sound card, Mesa's software renderer), unless the caller set it otherwise.
#include <gtest/gtest.h>
#include <cstdlib>

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("LIBGL_ALWAYS_SOFTWARE", "1", 0);
  // No desktop: a message box raised by a test must never wait for a click.
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
  testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
