// Mesh text parsing throughput, and the start-up work on a big mesh: load, scale, normals
// and tangents for a grid of 100 000 vertices. Also one wave deformation of the same grid.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "mesh/mesh.h"

// A .bof text of a side x side grid with realistic number spellings.
static std::string gridText(int side) {
  std::string text = "grid\n" + std::to_string(side * side) + "\n" +
                     std::to_string(2 * (side - 1) * (side - 1)) + "\n0.0 0.0 0.0\n";
  char line[160];
  for (int j = 0; j < side; ++j)
    for (int i = 0; i < side; ++i) {
      snprintf(line, sizeof(line), "%d %.6f %.6f %.6f %.6f %.6f\n", j * side + i, i * 1.37 - 200.0,
               std::sin(i * 0.1) * 3.0, j * -1.41 + 150.0, i / (double)side, j / (double)side);
      text += line;
    }
  int t = 0;
  for (int j = 0; j + 1 < side; ++j)
    for (int i = 0; i + 1 < side; ++i) {
      int a = j * side + i;
      snprintf(line, sizeof(line), "%d %d %d %d\n%d %d %d %d\n", t, a, a + 1, a + side, t + 1,
               a + 1, a + side + 1, a + side);
      text += line;
      t += 2;
    }
  return text;
}

static const int GRID_SIDE = 317;     // 100 489 vertices

static void ParseMeshText(benchmark::State& state) {
  std::string text = gridText(GRID_SIDE);
  for (auto _ : state) {
    Mesh mesh{};
    int result = parseStaticMesh(text.data(), text.size(), &mesh, "grid");
    benchmark::DoNotOptimize(result);
    freeMeshArrays(&mesh);
  }
  state.SetBytesProcessed((int64_t)state.iterations() * (int64_t)text.size());
}
BENCHMARK(ParseMeshText)->Unit(benchmark::kMillisecond);

static void LoadScaleNormalsTangents(benchmark::State& state) {
  std::string path = "bench_mesh_grid.bof";
  std::string text = gridText(GRID_SIDE);
  FILE* f = fopen(path.c_str(), "wb");
  fwrite(text.data(), 1, text.size(), f);
  fclose(f);
  for (auto _ : state) {
    Mesh mesh{};
    loadStaticMesh(path.c_str(), &mesh);   // no GL context here: the buffers are skipped
    scaleMesh(&mesh, 0.1f);
    computeNormals(&mesh);
    computeTangents(&mesh);
    benchmark::DoNotOptimize(mesh.vertices);
    destroyMesh(&mesh);
  }
  remove(path.c_str());
}
BENCHMARK(LoadScaleNormalsTangents)->Unit(benchmark::kMillisecond);

static void WaveGrid(benchmark::State& state) {
  std::string text = gridText(GRID_SIDE);
  Mesh mesh{};
  parseStaticMesh(text.data(), text.size(), &mesh, "grid");
  float phase = 0.0f;
  for (auto _ : state) {
    waveMesh(&mesh, phase, 0.0025f, 10.0f, 3.0f);
    phase += 1.0f;
    benchmark::DoNotOptimize(mesh.vertices);
  }
  destroyMesh(&mesh);
}
BENCHMARK(WaveGrid)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
