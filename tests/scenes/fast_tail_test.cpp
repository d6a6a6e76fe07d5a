// The fast frame tail against the plain one, both drawn in this process from the real data
// set: frames of every scene, the fade-in and the closing sequence, every channel within 2.
// Both ways of composing the fast tail are compared, the processor's also as the capture
// takes it. And the choice itself: the fast tail is
// taken by default, composed by the processor on this software renderer; --exact, SHOW_EXACT
// or a missing entry point gives the plain tail, pixel for pixel.
#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/app.h"
#include "platform/display.h"
#include "render/fast_tail.h"
#include "render/render.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"

namespace {

std::vector<unsigned char> frame(int32_t elapsed) {
  std::vector<unsigned char> pixels((size_t)screenWidth() * screenHeight() * 3);
  beginEffectsFrame(elapsed);
  renderFrame(elapsed);
  grabFinishedFrame(pixels.data());
  return pixels;
}

int largestDifference(const std::vector<unsigned char>& a, const std::vector<unsigned char>& b) {
  int largest = 0;
  for (size_t i = 0; i < a.size(); ++i) largest = std::max(largest, std::abs(a[i] - b[i]));
  return largest;
}

}  // namespace

TEST(FastTail, EveryScenesFramesMatchThePlainTail) {
  GL_TEST_CONTEXT();
  ASSERT_TRUE(initGlState());
  loadAssets();
  // A third and two thirds into each scene, the fade-in, the last ordinary frame and two
  // frames of the closing sequence.
  std::vector<int32_t> times = {3000, 178000, 179500, 183000};
  for (int i = 0; i < SCENE_TABLE_SIZE; ++i) {
    int32_t start = SceneTable[i].start * 2000;
    int32_t end = i + 1 < SCENE_TABLE_SIZE ? SceneTable[i + 1].start * 2000 : SHOW_LENGTH_MS;
    times.push_back(start + (end - start) / 3);
    times.push_back(start + 2 * (end - start) / 3);
  }
  // Both composites: the fragment program and the processor's.
  const struct {
    FastCompositeChoice choice;
    FastComposite composite;
  } composites[] = {{ChooseCompositeByProgram, CompositeByProgram},
                    {ChooseCompositeByProcessor, CompositeByProcessor}};
  // At 1024x768 every time; at 1440x1080, where neither the screen nor the glow levels'
  // spans across it are powers of two, the fade-in and a frame of every other scene: there the
  // renderer's choice is the program, also on this software renderer.
  for (int size : {1024, 1440}) {
    setScreenSize(size, size * 3 / 4);
    for (const auto& [choice, composite] : composites) {
      setFastComposite(size == 1024 ? choice : ChooseCompositeByRenderer);
      for (size_t i = 0; i < times.size(); i += size == 1024 ? 1 : 3) {
        int32_t elapsed = times[i];
        setExactPath(true);
        std::vector<unsigned char> plain = frame(elapsed);
        setExactPath(false);
        ASSERT_TRUE(fastTailReady());
        ASSERT_EQ(fastComposite(), size == 1024 ? composite : CompositeByProgram);
        std::vector<unsigned char> fast = frame(elapsed);
        EXPECT_LE(largestDifference(plain, fast), 2)
            << "at " << elapsed << " ms, composite " << composite << ", " << screenWidth() << " wide";
        if (fastComposite() == CompositeByProcessor) {
          // The capture's way takes the composed frame from memory: it is what was drawn.
          std::vector<unsigned char> drawn(fast.size());
          readFrame(drawn.data());
          EXPECT_EQ(drawn, fast) << "at " << elapsed << " ms, taken from memory";
        }
      }
      if (size != 1024) break;   // one choice there
    }
  }
  setScreenSize(0, 0);
  setFastComposite(ChooseCompositeByRenderer);
  freeAssets();
}

TEST(FastTail, ChosenByDefaultPlainOnRequestOrWhenTheDriverLacksIt) {
  GL_TEST_CONTEXT();
  ASSERT_TRUE(initGlState());
  loadAssets();
  EXPECT_TRUE(fastTailReady());
  EXPECT_EQ(fastComposite(), CompositeByProcessor) << "on the software renderer";
  setExactPath(true);
  EXPECT_FALSE(fastTailReady());
  std::vector<unsigned char> plain = frame(60000);
  setExactPath(false);
  EXPECT_TRUE(fastTailReady());

  setenv(EXACT_PATH_VARIABLE, "1", 1);
  EXPECT_TRUE(fastTailReady()) << "the variable is read once, not at every frame";
  shutdownFastTail();
  EXPECT_FALSE(fastTailReady());
  unsetenv(EXACT_PATH_VARIABLE);
  shutdownFastTail();

  simulateMissingFastTailSupport(true);
  EXPECT_FALSE(fastTailReady());
  EXPECT_EQ(frame(60000), plain) << "the fallback draws the plain tail";
  simulateMissingFastTailSupport(false);
  EXPECT_TRUE(fastTailReady());
  shutdownFastTail();
  freeAssets();
}
