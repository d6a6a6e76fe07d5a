// The platform layer without a person in front of it: boxes that cannot be shown, the
// window's shape in both modes, the Escape latch and the close request, a missing display.
#include <gtest/gtest.h>
#include <SDL2/SDL.h>
#include <cstdlib>
#include <string>

#include "platform/display.h"
#include "platform/platform.h"
#include "support/gl_context.h"

namespace {
void noBoxDisplay() {
  unsetenv("DISPLAY");
  unsetenv("WAYLAND_DISPLAY");
}
int countLines(const std::string& text) {
  int lines = 0;
  for (char c : text) lines += c == '\n';
  return lines;
}
void pushKey(SDL_Keycode key, Uint32 type) {
  SDL_Event event{};
  event.type = type;
  event.key.keysym.sym = key;
  event.key.keysym.scancode = SDL_GetScancodeFromKey(key);
  event.key.state = type == SDL_KEYDOWN ? SDL_PRESSED : SDL_RELEASED;
  SDL_PushEvent(&event);
}
}  // namespace

// Without any way to show a box: caption and text on one line on stderr, answer No.
TEST(Platform, BoxesWithoutDisplayGoToStderr) {
  noBoxDisplay();
  testing::internal::CaptureStderr();
  EXPECT_EQ(askYesNo("Fullscreen?", nullptr), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Fullscreen?\n");

  testing::internal::CaptureStderr();
  EXPECT_EQ(askYesNo("Question", "text"), 0);
  EXPECT_EQ(testing::internal::GetCapturedStderr(), "Question: text\n");

  testing::internal::CaptureStderr();
  showMessageBox("TROUBLE WITH BASS!", nullptr, 0);
  showMessageBox("ERROR", "GL_ARB_shader_objects extension was not found", 1);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_EQ(err, "TROUBLE WITH BASS!\nERROR: GL_ARB_shader_objects extension was not found\n");
}

// A plain window: 1024x768 at (0, 0), no decorations, not fullscreen, cursor hidden.
TEST(Platform, PlainWindowShape) {
  GL_TEST_CONTEXT();
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  ASSERT_NE(window, nullptr);
  int x = -1, y = -1, w = 0, h = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 768);
  Uint32 flags = SDL_GetWindowFlags(window);
  EXPECT_TRUE(flags & SDL_WINDOW_BORDERLESS);
  EXPECT_TRUE(flags & SDL_WINDOW_SHOWN);
  EXPECT_FALSE(flags & SDL_WINDOW_FULLSCREEN);
  EXPECT_EQ(SDL_ShowCursor(SDL_QUERY), SDL_DISABLE);
  // (The offscreen driver draws into a single-buffered surface, so double buffering is
  // not checked here.)
  int depth = 0, profile = 0;
  SDL_GL_GetAttribute(SDL_GL_DEPTH_SIZE, &depth);
  SDL_GL_GetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, &profile);
  EXPECT_GE(depth, 24);
  EXPECT_EQ(profile, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  EXPECT_EQ(platformError(), std::string());
}

// On Yes: a real (not desktop-sized) fullscreen mode of 1024x768 with 32-bit pixels, the
// window still 1024x768 at (0, 0).
TEST(Platform, FullscreenWindowTakesTheRequestedMode) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  requestFullscreenMode(DEFAULT_SCREEN_WIDTH, DEFAULT_SCREEN_HEIGHT, 32);
  ASSERT_EQ(createDisplay(1), 1) << platformError();
  SDL_Window* window = SDL_GL_GetCurrentWindow();
  ASSERT_NE(window, nullptr);
  Uint32 flags = SDL_GetWindowFlags(window);
  EXPECT_EQ(flags & SDL_WINDOW_FULLSCREEN_DESKTOP, (Uint32)SDL_WINDOW_FULLSCREEN);
  SDL_DisplayMode mode{};
  ASSERT_EQ(SDL_GetWindowDisplayMode(window, &mode), 0);
  EXPECT_EQ(mode.w, 1024);
  EXPECT_EQ(mode.h, 768);
  EXPECT_EQ(SDL_BYTESPERPIXEL(mode.format), 4);
  int x = -1, y = -1, w = 0, h = 0;
  SDL_GetWindowPosition(window, &x, &y);
  SDL_GetWindowSize(window, &w, &h);
  EXPECT_EQ(x, 0);
  EXPECT_EQ(y, 0);
  EXPECT_EQ(w, 1024);
  EXPECT_EQ(h, 768);
}

// Escape counts when it is down now or was pressed since the last query; a request to
// close the window counts as Escape; other keys do not.
TEST(Platform, EscapeLatchAndCloseRequest) {
  GL_TEST_CONTEXT();
  EXPECT_EQ(escapeKeyState(), 0);

  pushKey(SDLK_ESCAPE, SDL_KEYDOWN);
  pushKey(SDLK_ESCAPE, SDL_KEYUP);    // pressed and released between two queries
  EXPECT_NE(escapeKeyState(), 0);
  EXPECT_EQ(escapeKeyState(), 0) << "the press is reported once";

  pushKey(SDLK_a, SDL_KEYDOWN);
  pushKey(SDLK_RETURN, SDL_KEYDOWN);
  EXPECT_EQ(escapeKeyState(), 0);

  SDL_Event quit{};
  quit.type = SDL_QUIT;
  SDL_PushEvent(&quit);
  EXPECT_NE(escapeKeyState(), 0);
  EXPECT_EQ(escapeKeyState(), 0);

  SDL_Event close{};
  close.type = SDL_WINDOWEVENT;
  close.window.event = SDL_WINDOWEVENT_CLOSE;
  close.window.windowID = SDL_GetWindowID(SDL_GL_GetCurrentWindow());
  SDL_PushEvent(&close);
  EXPECT_NE(escapeKeyState(), 0);
}

// No display at all: no window, a one-line reason, and no crash in the calls after it.
TEST(Platform, NoDisplayGivesOneLineReason) {
  noBoxDisplay();
  setenv("SDL_VIDEODRIVER", "x11", 1);
  EXPECT_EQ(createDisplay(0), 0);
  std::string why = platformError();
  EXPECT_FALSE(why.empty());
  EXPECT_EQ(countLines(why), 0) << why;
  EXPECT_EQ(escapeKeyState(), 0);
  swapFrame();                        // nothing to present: no crash
  EXPECT_EQ(glProcAddress("glBindBufferARB") != nullptr && glExtensionAvailable("GL_ARB_multitexture"), false);
}

// The clock counts milliseconds and the sleep waits at least as long as asked.
TEST(Platform, TickAndSleep) {
  uint32_t before = tickCount();
  sleepMs(30);
  uint32_t waited = tickCount() - before;
  EXPECT_GE(waited, 30u);
  EXPECT_LT(waited, 5000u);
}
