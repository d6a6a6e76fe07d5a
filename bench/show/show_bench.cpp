// Per-scene cost of a frame: the CPU work alone (script, queue, keyframe blending, wave) and
// the whole frame on the GL context, with the plain and the fast frame tail; and loading
// the data set. Run from the repository root
// (it reads data/ like the show).
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <cstring>

#include "app/app.h"
#include "audio/audio.h"
#include "render/fast_tail.h"
#include "render/render.h"
#include "scenes/scenes.h"

static void (*const scripts[SCENE_TABLE_SIZE])(int32_t, float) = {
    scene1Script, scene2Script, scene3Script, scene4Script, scene5Script,
    scene6Script, scene7Script, scene8Script, scene9Script, scene10Script};

// The middle of scene `scene` (1..10), in elapsed milliseconds.
static int32_t sceneMiddle(int scene) {
  int32_t start = SceneTable[scene - 1].start * 2000;
  int32_t end = scene < SCENE_TABLE_SIZE ? SceneTable[scene].start * 2000 : SHOW_LENGTH_MS;
  return (start + end) / 2;
}

// The CPU side of one frame: the script fills the queue, then every mesh entry is restored
// from its snapshot and blended, as the queue walk does before drawing.
static void blendQueue() {
  for (int i = 0; i < renderQueue.slotCount;) {
    Mesh* mesh = renderQueue.slots[i].mesh;
    if (!mesh) {
      i += renderQueue.slots[i + 1].value == DrawBackground ? 3 : 2;
      continue;
    }
    const float* s = renderQueue.snapshots + renderQueue.slots[i + 1].value;
    mesh->position[0] = s[0], mesh->position[1] = s[1], mesh->position[2] = s[2];
    mesh->rotationY = s[3], mesh->rotationX = s[4], mesh->rotationZ = s[5];
    mesh->framePosition = s[6];
    interpolateMeshFrame(mesh, mesh->framePosition);
    i += 2;
  }
}

static void BM_SceneCpu(benchmark::State& state) {
  int scene = (int)state.range(0);
  int32_t t = sceneMiddle(scene) - SceneTable[scene - 1].start * 2000;
  float u = t * 0.0005f;
  for (auto _ : state) {
    resetRenderQueue();
    scripts[scene - 1](t, u);
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

static void BM_SceneFrameGl(benchmark::State& state) {
  int scene = (int)state.range(0);
  int32_t elapsed = sceneMiddle(scene);
  frameMs(elapsed, true), frameMs(elapsed, false);   // the renderer compiles its code on first use
  double plain = 0, fast = 0;
  for (auto _ : state) {
    plain += frameMs(elapsed, true);
    fast += frameMs(elapsed, false);
  }
  setExactPath(false);
  state.counters["plain_ms"] = benchmark::Counter(plain, benchmark::Counter::kAvgIterations);
  state.counters["fast_ms"] = benchmark::Counter(fast, benchmark::Counter::kAvgIterations);
  state.SetLabel("scene " + std::to_string(scene));
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

// The whole frames first: the CSV output takes its counter columns from the first benchmark.
BENCHMARK(BM_SceneFrameGl)->DenseRange(1, 10)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_SceneCpu)->DenseRange(1, 10)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_LoadAssets)->Unit(benchmark::kMillisecond)->Iterations(2);

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  if (!createDisplay(0) || !initGlState()) return 1;
  loadAssets();
  if (!fastTailReady()) std::fprintf(stderr, "no fast frame tail here: both figures are the plain one\n");
  std::fflush(stdout);                // the loaders' messages, if any, before the table
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
