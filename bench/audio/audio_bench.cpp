// The sound layer's per-frame and per-buffer costs: one band level with its FFT (offline and
// from the play ring), the spectrum alone, and the audio thread's work per 1024 samples.
// Needs the lame command to encode its test music.
#include <benchmark/benchmark.h>
#include <SDL2/SDL.h>

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include "audio/audio.h"

namespace {

std::string benchMp3Path;
void removeBenchMp3() { std::remove(benchMp3Path.c_str()); }

// Ten seconds of stereo music-like sound (chords plus noise), encoded once per run.
const std::string& benchMp3() {
  static std::string path;
  if (!path.empty()) return path;
  std::string pcm = "/tmp/bench_audio_" + std::to_string(getpid()) + ".pcm";
  std::string mp3 = "/tmp/bench_audio_" + std::to_string(getpid()) + ".mp3";
  std::vector<int16_t> samples(2 * 441000);
  std::mt19937 random(1);
  std::uniform_real_distribution<double> noise(-0.05, 0.05);
  for (size_t i = 0; i < samples.size() / 2; ++i) {
    double t = (double)i / 44100.0;
    double s = 0.3 * std::sin(2 * M_PI * 110 * t) + 0.2 * std::sin(2 * M_PI * 2960 * t) +
               0.1 * std::sin(2 * M_PI * 660 * t);
    samples[2 * i] = (int16_t)((s + noise(random)) * 32767);
    samples[2 * i + 1] = (int16_t)((s * 0.8 + noise(random)) * 32767);
  }
  FILE* f = std::fopen(pcm.c_str(), "wb");
  if (!f) return path;
  std::fwrite(samples.data(), sizeof(int16_t), samples.size(), f);
  std::fclose(f);
  std::string command = "lame --quiet -r -s 44.1 --bitwidth 16 --signed --little-endian -m j -b 192 '" +
                        pcm + "' '" + mp3 + "' 2>/dev/null";
  benchMp3Path = mp3;
  if (std::system(command.c_str()) == 0) path = mp3;
  std::remove(pcm.c_str());
  std::atexit(removeBenchMp3);
  return path;
}

void BM_BandLevelOffline(benchmark::State& state) {
  if (!openMusicAnalysis(benchMp3().c_str())) {
    state.SkipWithError("no test music (is lame installed?)");
    return;
  }
  setMusicAnalysisTime(5000);
  for (auto _ : state) benchmark::DoNotOptimize(bandLevel(2500, 3500));
  closeMusicAnalysis();
}
BENCHMARK(BM_BandLevelOffline);

void BM_BandLevelPlaying(benchmark::State& state) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (!startMusic(benchMp3().c_str())) {
    state.SkipWithError("no device or no test music");
    return;
  }
  SDL_Delay(200);
  for (auto _ : state) benchmark::DoNotOptimize(bandLevel(2500, 3500));
  stopMusic();
}
BENCHMARK(BM_BandLevelPlaying);

void BM_Spectrum(benchmark::State& state) {
  static float mono[SPECTRUM_WINDOW], spectrum[SPECTRUM_BINS];
  for (int n = 0; n < SPECTRUM_WINDOW; ++n) mono[n] = 0.5f * std::sin(0.1f * n);
  for (auto _ : state) {
    computeSpectrum(mono, spectrum);
    benchmark::DoNotOptimize(spectrum[58]);
  }
}
BENCHMARK(BM_Spectrum);

// What the device callback does per 1024 frames: decode them and copy their mono mix into
// the play ring. The device is paused so the bench calls the work itself.
void BM_AudioThreadPer1024(benchmark::State& state) {
  setenv("SDL_AUDIODRIVER", "dummy", 1);
  if (!startMusic(benchMp3().c_str())) {
    state.SkipWithError("no device or no test music");
    return;
  }
  SDL_PauseAudioDevice(audioDevice, 1);
  static float stereo[2 * 1024];
  int64_t played = 0;
  for (auto _ : state) {
    mixMusic(stereo, 1024);
    benchmark::DoNotOptimize(stereo[0]);
    if ((played += 1024) > 430000) {        // near the end of the music: start it again
      state.PauseTiming();
      startMusic(benchMp3().c_str());
      SDL_PauseAudioDevice(audioDevice, 1);
      played = 0;
      state.ResumeTiming();
    }
  }
  stopMusic();
}
BENCHMARK(BM_AudioThreadPer1024);

}  // namespace

BENCHMARK_MAIN();
