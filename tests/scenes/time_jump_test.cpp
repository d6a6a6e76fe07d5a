// The time jump against a straight run: the state the scripts leave for drawing, at many
// times of every scene and from whatever time came before, and whole frames on the software
// renderer where a scene draws with state an earlier one left.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstring>
#include <filesystem>
#include <map>
#include <random>
#include <vector>

#include "app/app.h"
#include "queue_view.h"
#include "render/fast_tail.h"
#include "render/render.h"
#include "scenes/scenes.h"
#include "support/gl_context.h"

namespace {

// Everything a frame's drawing reads that the scripts decide: the queue (entries with their
// snapshots), the texture each queued Mesh has when drawn, the camera and the override
// texture. The rest is set by the fixed frame tail or computed from these in the frame.
struct FrameState {
  std::vector<QueueEntry> queue;
  std::vector<TextureId> meshTextures;
  float camera[6];
  TextureId override;
};

bool sameState(const FrameState& a, const FrameState& b) {
  if (a.queue.size() != b.queue.size() || a.meshTextures != b.meshTextures ||
      std::memcmp(a.camera, b.camera, sizeof a.camera) != 0 || a.override != b.override)
    return false;
  for (size_t i = 0; i < a.queue.size(); ++i) {
    const QueueEntry &x = a.queue[i], &y = b.queue[i];
    if (x.mesh != y.mesh || x.code != y.code || x.texture != y.texture ||
        std::memcmp(x.snap, y.snap, sizeof x.snap) != 0)
      return false;
  }
  return true;
}

// One frame's script work as renderFrame does it, then what drawing the queue leaves in the
// Mesh records (each entry's snapshot restored), without drawing.
FrameState scriptFrame(int32_t elapsed) {
  resetRenderQueue();
  int32_t scene = 0, t = 0;
  float u = 0;
  sceneClock(elapsed, scene, t, u);
  runSceneScript(scene, t, u);
  FrameState s;
  s.queue = readQueue();
  for (const QueueEntry& e : s.queue)
    if (e.mesh) s.meshTextures.push_back(e.mesh->texture);
  const float cam[6] = {camera.position[0], camera.position[1], camera.position[2],
                        camera.angleY,      camera.angleX,      camera.angleZ};
  std::memcpy(s.camera, cam, sizeof cam);
  s.override = overrideTexture;
  for (const QueueEntry& e : s.queue) {
    if (!e.mesh) continue;
    std::copy(e.snap, e.snap + 3, e.mesh->position);
    e.mesh->rotationY = e.snap[3];
    e.mesh->rotationX = e.snap[4];
    e.mesh->rotationZ = e.snap[5];
    e.mesh->framePosition = e.snap[6];
  }
  return s;
}

// The colour a jump must leave in the framebuffer, packed red first.
constexpr int JUMP_CLEAR_PACKED = 51 + 256 * 102 + 65536 * 153;

// The framebuffer's pixel at (5, 5), packed red first.
int pixelAtFive() {
  unsigned char rgba[4] = {};
  glReadPixels(5, 5, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba);
  return rgba[0] + 256 * rgba[1] + 65536 * rgba[2];
}

// The jump draws nothing: scene 4's script clears, but not while jumping past it.
void expectJumpLeavesTheFramebuffer() {
  glClearColor(0.2f, 0.4f, 0.6f, 1.0f);
  glClear(GL_COLOR_BUFFER_BIT);
  jumpShowTo(100000);
  EXPECT_EQ(pixelAtFive(), JUMP_CLEAR_PACKED) << "the jump cleared the framebuffer";
}

void enterEmptyFolder() {
  std::filesystem::path dir = std::filesystem::path(scratchPath("x")).parent_path();
  ASSERT_EQ(chdir(dir.c_str()), 0);
}

}  // namespace

// A straight run at 25 fps through the whole show, then jumps to a seventh of its frame times
// (each scene's first and last milliseconds among them) in shuffled order, so each jump
// starts from the state another time left: every jump gives the straight run's state. Scene
// 4's noise generator is taken from the straight run, as the generators may differ.
TEST(TimeJump, ReachesTheStateOfAStraightRun) {
  GL_TEST_CONTEXT();
  enterEmptyFolder();   // no data: the Meshes are empty, the TextureIds are the same
  initGlState();
  loadAssets();
  std::vector<int32_t> times;
  for (int32_t ms = 0; ms <= SHOW_LENGTH_MS; ms += 40) times.push_back(ms);
  for (const SceneTableEntry& entry : SceneTable) times.push_back(entry.start * 2000 + 1);
  std::sort(times.begin(), times.end());

  std::map<int32_t, FrameState> straight;
  std::map<int32_t, int32_t> noiseBefore;
  setOverrideTexture(-1);   // as the program starts, whatever an earlier case's frames left
  for (int32_t ms : times) {
    noiseBefore[ms] = noiseRandomState;
    straight[ms] = scriptFrame(ms);
  }

  std::vector<int32_t> targets;
  for (size_t i = 0; i < times.size(); i += 7) targets.push_back(times[i]);
  for (const SceneTableEntry& entry : SceneTable) {
    targets.push_back(entry.start * 2000 + 1);
    if (entry.start > 0) targets.push_back(entry.start * 2000);
  }
  std::shuffle(targets.begin(), targets.end(), std::mt19937(17));
  int wrong = 0;
  for (int32_t ms : targets) {
    jumpShowTo(ms);
    noiseRandomState = noiseBefore[ms];
    if (!sameState(scriptFrame(ms), straight[ms]) && ++wrong <= 5)
      ADD_FAILURE() << "the state after a jump to " << ms << " ms is not the straight run's";
  }
  EXPECT_EQ(wrong, 0) << "of " << targets.size() << " jumps";

  expectJumpLeavesTheFramebuffer();
  freeAssets();
}

// On the shader path too the jump draws nothing, and the frame after it does.
TEST(TimeJump, LeavesTheShaderPathsFramebufferAlone) {
  ShaderPathContext es3(RendererEs3);
  ASSERT_TRUE(es3.open) << es3.why;
  std::filesystem::path before = std::filesystem::current_path();
  enterEmptyFolder();
  ASSERT_EQ(initGlState(), 1);
  loadAssets();
  expectJumpLeavesTheFramebuffer();
  beginEffectsFrame(100000);
  renderFrame(100000);
  EXPECT_NE(pixelAtFive(), JUMP_CLEAR_PACKED) << "no frame drawn";
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  freeAssets();
  std::filesystem::current_path(before);
}

// Whole frames with the generated data set: the capture tool's frames at 9 s (scene 1, the
// house textures) and 14.5 s (scene 2, scene 1's camera), rendered straight at 10 fps through
// its one-pixel scissor, equal the frames after a jump there from later scenes.
TEST(TimeJump, FrameAfterAJumpEqualsTheStraightFrame) {
  ASSERT_TRUE(std::filesystem::exists("data/spch.baf")) << "no generated data set in data/";
  GL_TEST_CONTEXT();
  initGlState();
  loadAssets();
  const size_t size = (size_t)DEFAULT_SCREEN_WIDTH * DEFAULT_SCREEN_HEIGHT * 3;
  std::vector<unsigned char> grab(size);
  std::map<int32_t, std::vector<unsigned char>> wanted = {{9000, {}}, {14500, {}}};
  auto frame = [&](int32_t elapsed, bool written) {
    if (!written) drawIntoOnePixel(1);
    beginEffectsFrame(elapsed);
    renderFrame(elapsed);
    if (written) grabFinishedFrame(grab.data());
    if (!written) drawIntoOnePixel(0);
  };
  for (int32_t ms = 0; ms <= 14500; ms += 100) {
    bool written = wanted.count(ms) != 0;
    frame(ms, written);
    if (written) wanted[ms] = grab;
  }
  for (auto& [ms, pixels] : wanted) {
    frame(19000, false);    // scene 3: the house textures swapped, its own camera
    frame(100000, false);   // scene 8
    jumpShowTo(ms);
    frame(ms, true);
    EXPECT_TRUE(grab == pixels) << "the frame after a jump to " << ms << " ms differs";
  }
  freeAssets();
}
