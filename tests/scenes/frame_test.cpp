// Whole frames on the software GL context: the fixed tail around each scene (veil, glow,
// border, scene 1's fade-in, the closing sequence) and the whole show played to its end
// without data files. Kept to few frames: the software renderer is slow.
#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <vector>

#include "platform/display.h"
#include "platform/data_folder.h"
#include "render/fast_tail.h"
#include "render/render_internal.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"

namespace {

struct Pixel {
  int r, g, b;
};

std::vector<unsigned char> grab(DEFAULT_SCREEN_WIDTH * DEFAULT_SCREEN_HEIGHT * 3);

// One frame as the main loop makes it, captured at the buffer swap.
void frame(int32_t elapsed) {
  beginEffectsFrame(elapsed);
  renderFrame(elapsed);
  grabFinishedFrame(grab.data());
}

// x, y in pixels from the top-left corner of the screen.
Pixel pixelAt(int x, int y) {
  const unsigned char* p = &grab[((DEFAULT_SCREEN_HEIGHT - 1 - y) * DEFAULT_SCREEN_WIDTH + x) * 3];
  return {p[0], p[1], p[2]};
}

// An empty folder as the data folder while it lives: every data file is missing. The
// default folder comes back at the end, so the later tests of this process find data/.
struct EmptyDataFolder {
  std::string dir = std::filesystem::path(scratchPath("x")).parent_path().string();
  EmptyDataFolder() { setDataFolder(dir.c_str()); }
  ~EmptyDataFolder() { setDataFolder(nullptr); }
};

}  // namespace

// The context and the fixed GL state, as the program has them before its first frame (the
// shader sources are missing here, which the show survives with its messages).
#define FRAME_TEST_SETUP()  \
  do {                      \
    GL_TEST_CONTEXT();      \
    initGlState();          \
    freeAssets();           \
  } while (0)

TEST(Frame, SceneTwoStandsOnTheClearColourAlone) {
  FRAME_TEST_SETUP();
  frame(15000);
  EXPECT_EQ(renderQueue.slotCount, 2);   // the words, which hold no triangles here
  // No veil, no glow, no border: every probe, corners included, is the clear colour.
  const int probes[][2] = {{512, 384}, {0, 0}, {1023, 0}, {0, 767}, {1023, 767}, {5, 400}};
  for (const auto& xy : probes) {
    Pixel p = pixelAt(xy[0], xy[1]);
    EXPECT_EQ(p.r, 0) << xy[0] << "," << xy[1];
    EXPECT_EQ(p.g, 254) << xy[0] << "," << xy[1];
    EXPECT_EQ(p.b, 254) << xy[0] << "," << xy[1];
  }
}

TEST(Frame, ElapsedZeroRunsOnlyTheTail) {
  FRAME_TEST_SETUP();
  frame(0);
  EXPECT_EQ(renderQueue.slotCount, 0);
  EXPECT_TRUE(glowTargetsReady);
  // The clear colour darkened by half with the glow added back: no red, cyan left.
  Pixel p = pixelAt(512, 384);
  EXPECT_EQ(p.r, 0);
  EXPECT_GT(p.g, 127);
  EXPECT_EQ(p.g, p.b);
}

TEST(Frame, SceneOneFadesInOverEightSeconds) {
  FRAME_TEST_SETUP();
  frame(1);
  Pixel start = pixelAt(512, 384);
  EXPECT_EQ(start.r + start.g + start.b, 0);   // fully veiled
  frame(7999);
  Pixel almost = pixelAt(512, 384);
  frame(8000);
  Pixel done = pixelAt(512, 384);
  EXPECT_GT(done.g, 0);
  EXPECT_NEAR(almost.r, done.r, 1);
  EXPECT_NEAR(almost.g, done.g, 1);
  EXPECT_NEAR(almost.b, done.b, 1);
}

TEST(Frame, ClosingSequenceStartsAfter178000) {
  FRAME_TEST_SETUP();
  gridCoord[128] = 0.0f;             // as at start: an earlier case's tearing set it
  frame(178000);
  EXPECT_EQ(gridCoord[128], 0.0f);   // ordinary tail: no row tearing yet
  EXPECT_GT(renderQueue.slotCount, 0);
  frame(178001);
  EXPECT_EQ(gridCoord[128], 1.0f);   // the tearing pass ran
  Pixel early = pixelAt(512, 384);
  EXPECT_GT(early.r + early.g + early.b, 0);

  // The show's last frame may come a little late: q is then above 1 and the black veil
  // covers everything.
  frame(184017);
  Pixel last = pixelAt(512, 384);
  EXPECT_EQ(last.r + last.g + last.b, 0);
}

TEST(Frame, WholeShowWithoutDataRunsToTheEnd) {
  FRAME_TEST_SETUP();
  EmptyDataFolder noData;
  loadAssets();
  EXPECT_EQ(furballMesh.vertexCount, 0);
  // A step of 1999 ms drifts across the scenes' phases (scene 2 lasts only 2000 ms) and
  // keeps the software renderer's time in bounds; the last frame is the show's stop.
  int frames = 0;
  for (int32_t elapsed = 0;; elapsed += 1999) {
    if (elapsed > SHOW_LENGTH_MS) elapsed = SHOW_LENGTH_MS;
    beginEffectsFrame(elapsed);
    renderFrame(elapsed);
    frames++;
    if (elapsed >= SHOW_LENGTH_MS) break;
  }
  EXPECT_EQ(frames, SHOW_LENGTH_MS / 1999 + 2);
  freeAssets();
  for (uint32_t name : TextureTable) EXPECT_EQ(name, 0u);
}
