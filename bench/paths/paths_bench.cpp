// Each scene's whole frame on the two picture paths, gl1 (fixed function) and es3 (shaders on
// an OpenGL ES 3.0 context), in wall time and in the CPU time of the whole process: a software
// renderer such as llvmpipe rasterises on threads of its own, which a thread's CPU time
// leaves out. Frames are drawn as in bench_show, at 1024x768 into the offscreen picture with
// nothing presented, on the fast tail. The paths alternate within the run, one context at a
// time in the one process, so that both figures of a scene come from the same minutes of a
// shared machine. Run from the repository root (it reads data/ like the show).
#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/platform.h"
#include "render/fast_tail.h"
#include "render/picture_path.h"
#include "render/render.h"
#include "scenes/scenes.h"

namespace {

// The context open now, and whether one is.
Renderer openRenderer = RendererGl1;
bool pathOpen = false;
// Why the last path failed to open, for the benchmark's error (commas made semicolons, for
// bench.sh's CSV).
std::string openFailure;

void noteFailure(std::string text) {
  for (char& c : text)
    if (c == ',') c = ';';
  openFailure = text;
}

// Everything tied to the context goes before the context itself.
void closePath() {
  if (!pathOpen) return;
  freeAssets();
  shutdownFastTail();
  releaseShaderProgram();
  releaseGlowTargets();
  destroyDisplay();
  pathOpen = false;
}

// A context of `renderer` current, its state set up and the data set loaded, on the fast tail;
// true when already so.
bool usePath(Renderer renderer) {
  if (pathOpen && openRenderer == renderer) return true;
  closePath();
  requestRenderer(renderer);
  openRenderer = renderer;
  if (!createDisplay(0)) {
    noteFailure(std::string("no ") + rendererName(renderer) + " context: " + platformError());
    return false;
  }
  if (!initGlState()) {
    noteFailure(std::string("the ") + rendererName(renderer) + " context does not fit" +
                (pictureRefusal()[0] ? std::string(": ") + pictureRefusal() : std::string()));
    destroyDisplay();
    return false;
  }
  pathOpen = true;
  loadAssets();
  setExactPath(false);
  if (!fastTailReady()) std::fprintf(stderr, "%s: no fast frame tail, the plain one instead\n", rendererName(renderer));
  return true;
}

// The CPU time of the whole process, every thread of it, in milliseconds.
double processCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
  return now.tv_sec * 1e3 + now.tv_nsec * 1e-6;
}

// Every timed frame's wall and CPU time on one path, in milliseconds.
struct FrameCost {
  std::vector<double> wallMs, cpuMs;
  double wallTotal() const {
    double sum = 0;
    for (double ms : wallMs) sum += ms;
    return sum;
  }
};

// The median of the figures: a frame that another job on the machine held up moves it less
// than it moves the mean.
double median(std::vector<double> values) {
  if (values.empty()) return 0;
  std::sort(values.begin(), values.end());
  size_t half = values.size() / 2;
  return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

// One whole frame at `elapsed`, finished (glFinish), added to `cost`.
void drawFrame(int32_t elapsed, FrameCost* cost) {
  double cpu = processCpuMs();
  auto begin = std::chrono::steady_clock::now();
  beginEffectsFrame(elapsed);
  renderFrame(elapsed);
  glFinish();
  if (!cost) return;
  cost->wallMs.push_back(std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count());
  cost->cpuMs.push_back(processCpuMs() - cpu);
}

// Frames timed on one path each time it takes its turn, after the untimed ones: on a fresh
// context the renderer compiles its code for every state on first use and the first frame
// makes the glow targets (about twice a frame's CPU time on llvmpipe), and the second frame
// still runs a little over. A turn times at least TIMED_FRAMES frames and at least
// TIMED_TURN_MS of wall time, so that a light scene's few milliseconds are not left to a
// handful of frames.
constexpr int WARM_FRAMES = 2, TIMED_FRAMES = 3;
constexpr double TIMED_TURN_MS = 100;

// The middle of scene `scene` (1..10), in elapsed milliseconds.
int32_t sceneMiddle(int scene) { return (sceneStartMs(scene - 1) + sceneEndMs(scene - 1)) / 2; }

// One turn of a path: the show brought to the scene's middle, the frames that warm up, then
// the timed ones.
bool pathTurn(Renderer renderer, int32_t elapsed, FrameCost* cost) {
  if (!usePath(renderer)) return false;
  jumpShowTo(elapsed);
  for (int i = 0; i < WARM_FRAMES; ++i) drawFrame(elapsed, nullptr);
  double wallBefore = cost->wallTotal();
  for (int i = 0; i < TIMED_FRAMES || cost->wallTotal() - wallBefore < TIMED_TURN_MS; ++i) drawFrame(elapsed, cost);
  return true;
}

const char* compositeName() {
  if (!fastTailReady()) return "plain tail";
  return fastComposite() == CompositeByProcessor ? "processor composite" : "program composite";
}

// The argument is the scene. Each iteration is one turn of each path, in turns that alternate
// (gl1 es3, es3 gl1, ...), so that each context change serves two turns and neither path
// always comes first after a change.
void BM_PathFrame(benchmark::State& state) {
  int scene = (int)state.range(0);
  int32_t elapsed = sceneMiddle(scene);
  FrameCost gl1, es3;
  std::string gl1Tail, es3Tail;
  for (auto _ : state) {
    Renderer first = openRenderer;          // the context open now takes the first turn
    Renderer second = first == RendererGl1 ? RendererEs3 : RendererGl1;
    double wall = gl1.wallTotal() + es3.wallTotal();
    for (Renderer renderer : {first, second}) {
      if (!pathTurn(renderer, elapsed, renderer == RendererGl1 ? &gl1 : &es3)) {
        state.SkipWithError(openFailure.c_str());
        return;
      }
      (renderer == RendererGl1 ? gl1Tail : es3Tail) = compositeName();
    }
    state.SetIterationTime((gl1.wallTotal() + es3.wallTotal() - wall) * 1e-3);
  }
  // Each path's median frame.
  state.counters["gl1_ms"] = median(gl1.wallMs);
  state.counters["gl1_cpu_ms"] = median(gl1.cpuMs);
  state.counters["es3_ms"] = median(es3.wallMs);
  state.counters["es3_cpu_ms"] = median(es3.cpuMs);
  // No commas: bench.sh splits the CSV rows at every one.
  state.SetLabel("scene " + std::to_string(scene) + " (gl1 " + gl1Tail + " / es3 " + es3Tail + ")");
}

}  // namespace

// Six turns of each path a scene, short ones, so that a change in the machine's load meets
// both paths alike: the ten scenes take about half a minute on llvmpipe on a quiet machine.
BENCHMARK(BM_PathFrame)->DenseRange(1, 10)->Iterations(6)->UseManualTime()->Unit(benchmark::kMillisecond);

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  setenv("SHOW_FBO", "1", 0);          // into the offscreen picture, as bench_show draws
  requestHiddenWindow(1);
  if (!usePath(RendererGl1)) {
    std::fprintf(stderr, "%s\n", openFailure.c_str());
    return 1;
  }
  std::fflush(stdout);                 // the loaders' messages, if any, before the table
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  closePath();
  return 0;
}
