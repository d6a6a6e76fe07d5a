// The fixed cost under every frame on the software renderer at 1024x768: the ordinary
// frame tail (glow capture of an empty queue, chain, veil, glow, border) and the closing
// sequence of the last six seconds. glFinish closes each iteration so the GL work counts.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <vector>

#include "platform/display.h"
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

static void BM_FrameTail(benchmark::State& state) {
  int32_t elapsed = 20000;
  for (auto _ : state) {
    frameTail(elapsed);
    glFinish();
    elapsed += 16;
  }
}
BENCHMARK(BM_FrameTail)->Unit(benchmark::kMillisecond)->UseRealTime();

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
  benchmark::Initialize(&argc, argv);
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
