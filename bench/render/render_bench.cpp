// The fixed cost under every frame on the software renderer: the ordinary frame tail (glow
// capture of an empty queue, chain, veil, glow, border), plain and fast side by side, at four
// picture sizes; the closing sequence of the last six seconds and the passes one by one at
// 1024x768. glFinish closes each timing so the GL work counts.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/display.h"
#include "platform/platform.h"
#include "render/fast_tail.h"
#include "render/render_internal.h"

static TextureId whiteTex = -1, bordsTex = -1;

// A texture of the given size in table slot `slot`, filled by `shade`.
static TextureId makeTexture(int slot, int size, unsigned char (*shade)(int x, int y, int c)) {
  std::vector<unsigned char> rgba((size_t)size * size * 4);
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x)
      for (int c = 0; c < 4; ++c) rgba[((size_t)y * size + x) * 4 + c] = shade(x, y, c);
  GLuint name = 0;
  glGenTextures(1, &name);
  glBindTexture(GL_TEXTURE_2D, name);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, size, size, 0, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
  TextureTable[slot] = name;
  return slot;
}

static void frameTail(int32_t elapsed) {
  beginEffectsFrame(elapsed);
  resetRenderQueue();
  prepareGlow();
  drawRenderQueue();
  drawTintedRect(0, 0, 1, 1, 0, 0, 0, 0.5f, whiteTex);
  drawGlow(0, 0, 1, 1, 255, 1);
  drawScreenQuad(bordsTex, 0, 0, 1.0f, 1.0f, 2);
}

// The same tail on the fast path, as in scene 3 (no fade-in). As a frame does, it asks
// fastTailReady() first, which makes the composite again after a change of screen size, and
// draws the plain tail where the fast one is not available.
static void fastTail(int32_t elapsed) {
  if (!fastTailReady()) {
    frameTail(elapsed);
    return;
  }
  beginEffectsFrame(elapsed);
  resetRenderQueue();
  drawFastFrameTail(true, 0.0f, whiteTex, bordsTex);
}

static void closingSequence(int32_t elapsed) {
  beginEffectsFrame(elapsed);
  resetRenderQueue();
  prepareGlow();
  float q = ((float)elapsed - 178000.0f) * 0.00016666666f;
  q *= q;
  drawRgbRowJitter(15.0f * q, 1.8f, (int32_t)(64.0f * (1.0f - q)), 3);
  drawTintedRect(0, 0, 1, 1, 0, 0, 0, 0.5f, whiteTex);
  drawGlow(0, 0, 1, 1, 255, 1);
  drawGlow(0, 0, 1, 1, (int32_t)(250.0f * q), 0);
  drawTintedRect(0, 0, 1, 1, 0, 0, 0, q, whiteTex);
}

// Each iteration runs the plain and the fast version once, so both figures come from the
// same minutes of a shared machine.
template <typename Work>
static double timedMs(Work work) {
  auto begin = std::chrono::steady_clock::now();
  work();
  glFinish();
  return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - begin).count();
}

static void reportBoth(benchmark::State& state, double plain, double fast) {
  state.counters["plain_ms"] = benchmark::Counter(plain, benchmark::Counter::kAvgIterations);
  state.counters["fast_ms"] = benchmark::Counter(fast, benchmark::Counter::kAvgIterations);
}

// The argument is the picture's width (4:3). The first tails at a new size make the glow
// targets and the composite's rows for it, and the renderer compiles its code on first use.
static void BM_FrameTail(benchmark::State& state) {
  int width = (int)state.range(0);
  if (!setScreenSize(width, width * 3 / 4) || screenWidth() != width) {
    state.SkipWithError("this driver cannot draw the picture at that size");
    setScreenSize(0, 0);
    return;
  }
  int32_t elapsed = 20000;
  frameTail(elapsed), fastTail(elapsed);
  double plain = 0, fast = 0;
  for (auto _ : state) {
    plain += timedMs([&] { frameTail(elapsed); });
    fast += timedMs([&] { fastTail(elapsed); });
    elapsed += 16;
  }
  reportBoth(state, plain, fast);
  setScreenSize(0, 0);                 // the benchmarks below at 1024x768
  state.SetLabel("at " + std::to_string(width) + "x" + std::to_string(width * 3 / 4));
}
// Two seconds a size: a plain and a fast tail at 2048x1536 take about 0.2 s together.
BENCHMARK(BM_FrameTail)
    ->Arg(640)->Arg(1024)->Arg(1440)->Arg(2048)
    ->Unit(benchmark::kMillisecond)->UseRealTime()->MinTime(2);

static void BM_ClosingSequence(benchmark::State& state) {
  int32_t elapsed = 181000;            // halfway through the closing six seconds
  for (auto _ : state) {
    closingSequence(elapsed);
    glFinish();
    elapsed = elapsed >= 183984 ? 181000 : elapsed + 16;
  }
}
BENCHMARK(BM_ClosingSequence)->Unit(benchmark::kMillisecond)->UseRealTime();

// The passes one by one, to see where the tail's time goes.
static void BM_Pass(benchmark::State& state) {
  int32_t elapsed = 20000;
  for (auto _ : state) {
    beginEffectsFrame(elapsed += 16);
    switch (state.range(0)) {
      case 0: resetRenderQueue(); prepareGlow(); break;
      case 1: drawTintedRect(0, 0, 1, 1, 0, 0, 0, 0.5f, whiteTex); break;
      case 2: drawGlow(0, 0, 1, 1, 255, 1); break;
      case 3: drawScreenQuad(bordsTex, 0, 0, 1.0f, 1.0f, 2); break;
      case 4: drawRgbRowJitter(10.0f, 1.8f, 16, 3); break;
    }
    glFinish();
  }
  static const char* const names[] = {"prepareGlow", "veil", "glow", "border", "rgbRowJitter"};
  state.SetLabel(names[state.range(0)]);
}
BENCHMARK(BM_Pass)->DenseRange(0, 4)->Unit(benchmark::kMillisecond)->UseRealTime();

int main(int argc, char** argv) {
  setenv("SDL_VIDEODRIVER", "offscreen", 1);
  setenv("SHOW_FBO", "1", 0);         // every picture size drawn alike, as in bench_show
  requestHiddenWindow(1);
  if (!createDisplay(0)) {
    std::fprintf(stderr, "no display for the benchmark\n");
    return 1;
  }
  initGlState();
  whiteTex = makeTexture(0, 32, [](int, int, int) -> unsigned char { return 255; });
  bordsTex = makeTexture(1, 512, [](int x, int y, int c) -> unsigned char {
    return c == 3 ? 255 : (unsigned char)(x < 24 || y < 24 || x > 487 || y > 487 ? 40 : 255);
  });
  createGlowTargets();
  if (!fastTailReady()) {
    std::fprintf(stderr, "no fast frame tail here\n");
    return 1;
  }
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
