// The web page's still and benchmark modes (?still=MS, ?bench), run once the assets are
// loaded: what the page's tests and ./bench.sh read from the browser.
#ifdef __EMSCRIPTEN__
#include <emscripten.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

#include "app/app.h"
#include "app/options.h"
#include "audio/audio.h"
#include "platform/data_folder.h"
#include "platform/page.h"
#include "render/fast_tail.h"
#include "render/render.h"
#include "scenes/scenes.h"

// The capture tool's frame rate: a still there is the first frame at or after its time.
constexpr int STILL_FPS = 60;

void drawPageStill(int32_t elapsed) {
  bool music = openMusicAnalysis(dataPath("maronekt-mix6.mp3")) != 0;
  bool exact = showOptions.exact || exactPathRequested();
  long last = firstFixedRateFrameAt(elapsed, STILL_FPS);
  long first = firstFixedRateFrameAt(straightRunStart(fixedRateElapsed(last, STILL_FPS)), STILL_FPS);
  if (first > 0) jumpShowTo(fixedRateElapsed(first, STILL_FPS));   // frame 0 follows loadAssets
  std::vector<unsigned char> rgb((size_t)screenWidth() * screenHeight() * 3);
  for (long k = first; k <= last; ++k) {
    int32_t t = fixedRateElapsed(k, STILL_FPS);
    bool shown = k == last;
    if (music) setMusicAnalysisTime(t);
    // The frames before the still only carry state to it: one pixel each, the plain tail.
    if (!shown) drawIntoOnePixel(1);
    setExactPath(exact || !shown);
    beginEffectsFrame(t);
    renderFrame(t);
    if (shown) grabFinishedFrame(rgb.data());
    if (!shown) drawIntoOnePixel(0);
    if (!shown && k % 30 == 0) emscripten_sleep(0);   // the page stays live through a long run
  }
  if (music) closeMusicAnalysis();
  pageStill(rgb.data(), screenWidth(), screenHeight());
}

namespace {

// As ./bench.sh times the native paths (bench/paths): each scene brought to its middle by
// the time jump, two frames to warm up, then at least three timed frames and 100 ms, six
// turns a scene; the median frame, each ending when the driver has drawn it.
constexpr int WARM_FRAMES = 2, TIMED_FRAMES = 3, TURNS = 6;
constexpr double TIMED_TURN_MS = 100;

double timedFrame(int32_t elapsed) {
  double begin = emscripten_get_now();
  beginEffectsFrame(elapsed);
  renderFrame(elapsed);
  finishDrawing();
  return emscripten_get_now() - begin;
}

double median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  size_t half = values.size() / 2;
  return values.size() % 2 ? values[half] : (values[half - 1] + values[half]) / 2;
}

}  // namespace

void benchPageScenes() {
  // The first frame is shown, so that the page can time the click to it; the timed ones are
  // not presented (a presented frame waits for the browser's next animation frame).
  beginEffectsFrame(0);
  renderFrame(0);
  requestHiddenWindow(1);
  std::string json = "{\"scenes\":[";
  for (int scene = 1; scene <= SCENE_TABLE_SIZE; ++scene) {
    int32_t middle = (sceneStartMs(scene - 1) + sceneEndMs(scene - 1)) / 2;
    std::vector<double> frames;
    for (int turn = 0; turn < TURNS; ++turn) {
      jumpShowTo(middle);
      for (int i = 0; i < WARM_FRAMES; ++i) timedFrame(middle);
      double spent = 0;
      for (int i = 0; i < TIMED_FRAMES || spent < TIMED_TURN_MS; ++i) {
        frames.push_back(timedFrame(middle));
        spent += frames.back();
      }
      emscripten_sleep(0);
    }
    char entry[96];
    std::snprintf(entry, sizeof entry, "%s{\"scene\":%d,\"ms\":%.3f,\"frames\":%d}", scene > 1 ? "," : "", scene,
                  median(frames), (int)frames.size());
    json += entry;
  }
  json += "]}";
  requestHiddenWindow(0);
  pageBenchResult(json.c_str());
}
#endif
