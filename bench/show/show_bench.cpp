// Per-scene cost of a frame: the CPU work alone (script, queue, keyframe blending, wave) and
// the whole frame on the GL context, with the plain and the fast frame tail, at four picture
// sizes; and loading the data set. Run from the repository root (it reads data/ like the
// show).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/display.h"
#include "platform/platform.h"
#include "audio/audio.h"
#include "render/fast_tail.h"
#include "render/render_internal.h"
#include "scenes/scenes.h"

// The middle of scene `scene` (1..10), in elapsed milliseconds.
static int32_t sceneMiddle(int scene) {
  return (sceneStartMs(scene - 1) + sceneEndMs(scene - 1)) / 2;
}

// The CPU side of one frame: the script fills the queue, then every mesh entry is restored
// from its snapshot and blended, as the queue walk does before drawing.
static void blendQueue() {
  int32_t at = 0;
  RenderEntry entry;
  while (nextQueueEntry(&at, &entry))
    if (entry.mesh) restoreQueuedMesh(entry);
}

static void BM_SceneCpu(benchmark::State& state) {
  int scene = (int)state.range(0);
  int32_t t = sceneMiddle(scene) - sceneStartMs(scene - 1);
  float u = t * 0.0005f;
  for (auto _ : state) {
    resetRenderQueue();
    runSceneScript(scene, t, u);
    blendQueue();
    benchmark::DoNotOptimize(renderQueue.slotCount);
  }
  state.SetLabel("scene " + std::to_string(scene));
}

// A whole frame of the scene on the plain tail and on the fast one, alternating, so both
// figures come from the same minutes of a shared machine.
static double frameMs(int32_t elapsed, bool exact) {
  setExactPath(exact);
  auto begin = std::chrono::steady_clock::now();
  beginEffectsFrame(elapsed);
  renderFrame(elapsed);
  glFinish();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

// The picture sizes the whole frames are drawn at, by width (4:3): from a quarter of the
// default's pixels to four times them.
static const int pictureWidths[] = {640, 1024, 1440, 2048};

// Sets the screen to `width` x 3/4 `width`; false (the benchmark skipped) where the driver
// gives another size.
static bool usePictureWidth(benchmark::State& state, int width) {
  if (setScreenSize(width, width * 3 / 4) && screenWidth() == width) return true;
  state.SkipWithError("this driver cannot draw the picture at that size");
  return false;
}

// Arguments: the picture's width, then the scene; the sizes outermost, so that the screen
// changes size four times in all. The benchmarks after these draw nothing.
static void BM_SceneFrameGl(benchmark::State& state) {
  int scene = (int)state.range(1);
  if (!usePictureWidth(state, (int)state.range(0))) return;
  int32_t elapsed = sceneMiddle(scene);
  // The renderer compiles its code on first use, and the first frame at a new size makes the
  // glow targets and the composite's rows for it.
  frameMs(elapsed, true), frameMs(elapsed, false);
  double plain = 0, fast = 0;
  for (auto _ : state) {
    plain += frameMs(elapsed, true);
    fast += frameMs(elapsed, false);
  }
  setExactPath(false);
  state.counters["plain_ms"] = benchmark::Counter(plain, benchmark::Counter::kAvgIterations);
  state.counters["fast_ms"] = benchmark::Counter(fast, benchmark::Counter::kAvgIterations);
  state.SetLabel("scene " + std::to_string(scene) + " at " + std::to_string(state.range(0)) + "x" +
                 std::to_string(state.range(0) * 3 / 4));
}

static void BM_LoadAssets(benchmark::State& state) {
  for (auto _ : state) {
    loadAssets();
    glFinish();
    state.PauseTiming();
    freeAssets();
    state.ResumeTiming();
  }
}

// A jump with the soundtrack playing: the carried state brought to the target (every earlier
// scene's script once) and the sound moved there. The latest target runs the most scripts.
static void BM_TimeJump(benchmark::State& state) {
  int32_t target = (int32_t)state.range(0);
  if (!startMusic("data/maronekt-mix6.mp3")) state.SkipWithError("no soundtrack in data/");
  for (auto _ : state) {
    jumpShowTo(target);
    seekMusic(target);
    state.PauseTiming();
    jumpShowTo(1);                    // each jump starts from the show's start, far away
    seekMusic(1);
    state.ResumeTiming();
  }
  stopMusic();
  state.SetLabel("to " + std::to_string(target) + " ms");
}

// The whole frames first: the CSV output takes its counter columns from the first benchmark.
// Five iterations a case: a heavy scene at 2048x1536 takes about half a second a frame pair
// on llvmpipe, and the 40 cases should stay within about a minute.
static void everySizeAndScene(benchmark::internal::Benchmark* benchmark) {
  for (int width : pictureWidths)
    for (int scene = 1; scene <= 10; ++scene) benchmark->Args({width, scene});
}
BENCHMARK(BM_SceneFrameGl)->Apply(everySizeAndScene)->Unit(benchmark::kMillisecond)->Iterations(5);
BENCHMARK(BM_SceneCpu)->DenseRange(1, 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_TimeJump)->Arg(16001)->Arg(96001)->Arg(183999)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LoadAssets)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  // Frames as the capture tool draws them, nothing presented, and at every picture size into
  // an offscreen picture of that size: the window stays 1024x768, and drawing straight into
  // it at that size alone would compare two ways of drawing.
  setenv("SHOW_FBO", "1", 0);
  requestHiddenWindow(1);
  if (!createDisplay(0) || !initGlState()) return 1;
  loadAssets();
  if (!fastTailReady()) std::fprintf(stderr, "no fast frame tail here: both figures are the plain one\n");
  std::fflush(stdout);                // the loaders' messages, if any, before the table
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
