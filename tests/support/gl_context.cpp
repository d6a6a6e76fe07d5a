#include "support/gl_context.h"

#include <gtest/gtest.h>
#include <cstdlib>
#include <filesystem>

#include "platform/display.h"
#include "platform/platform.h"
#include "render/fast_tail.h"
#include "render/picture_path.h"
#include "render/render_internal.h"
#include "scenes/scenes.h"

static int state;                     // 0 not tried, 1 open, -1 failed

bool openTestGlContext(std::string* why) {
  if (state == 0) {
#ifdef _WIN32
    // No offscreen driver with GL: the show's own window, never shown; the frames are
    // drawn into the offscreen picture, whose pixels a hidden window cannot lose.
    setenv("SHOW_FBO", "1", 0);
    requestHiddenWindow(1);
    state = createDisplay(0) ? 1 : -1;
#else
    setenv("SDL_VIDEODRIVER", "offscreen", 0);
    state = createDisplay(0) ? 1 : -1;
#endif
  }
  if (state < 0 && why) *why = platformError();
  return state > 0;
}

bool reopenTestGlContext(Renderer renderer, std::string* why) {
  if (state > 0) {
    freeAssets();
    shutdownFastTail();
    releaseGlowTargets();
    releaseShaderProgram();
    resetTextureTable();
    destroyDisplay();
  }
  requestRenderer(renderer);
  state = 0;
  return openTestGlContext(why);
}

std::string scratchPath(const std::string& name) {
  const testing::TestInfo* info = testing::UnitTest::GetInstance()->current_test_info();
  std::filesystem::path dir = std::filesystem::path(SHOW_BINARY_DIR) / "scratch" /
                              (std::string(info->test_suite_name()) + "." + info->name());
  std::filesystem::create_directories(dir);
  return (dir / name).string();
}
