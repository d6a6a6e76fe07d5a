// capture — renders the show headless at a fixed frame rate, whatever the machine's speed.
//
//   capture [--fps N] [--from MS] [--to MS] [--at MS]... [--png DIR] [--video FILE]
//           [--sheet FILE] [--report FILE] [--exact]
//
// Run from the folder that holds data/, like the show. Frame k has the elapsed time
// round(k * 1000 / fps) and goes through beginEffectsFrame and renderFrame exactly as in the
// main loop, with the band levels of the soundtrack decoded in step at that time, so the
// state that carries from frame to frame (camera, generators, textures, keyframe slots)
// carries as in a real run. Frames before the first one written are skipped with the show's
// time jump where that gives the same state (firstComputedFrame); frames that are computed
// but not written are drawn with a one-pixel scissor: the same state, almost none of the
// fill cost.
//
// By default frames are drawn with the fast frame tail and PNG files are written with the
// fastest zlib level and one row filter (the same pixels within 2 per channel, larger
// files), and video with x264's fastest preset; --exact (or SHOW_EXACT=1) draws every pass as
// written and writes PNG files and video as before. Encoding and writing run on a thread of their own while the next frame is drawn.
#include <SDL2/SDL.h>

#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "platform/display.h"
#include "audio/audio.h"
#include "frame_output.h"
#include "frame_writer.h"
#include "platform/platform.h"
#include "png_writer.h"
#include "render/fast_tail.h"
#include "render/render_internal.h"
#include "scenes/scenes.h"

static const char* const USAGE =
    "usage: capture [--fps N] [--from MS] [--to MS] [--at MS]... [--png DIR] [--video FILE]\n"
    "               [--sheet FILE] [--report FILE] [--exact]\n";
static const char* const SOUNDTRACK = "data/maronekt-mix6.mp3";

struct CaptureOptions {
  int fps = 60;
  int fromMs = 0;
  int toMs = SHOW_LENGTH_MS;
  std::vector<int> atMs;
  std::string pngDir, videoPath, sheetPath, reportPath;
  bool exact = false;
};

static int fail(const std::string& message) {
  std::fprintf(stderr, "capture: %s\n%s", message.c_str(), USAGE);
  return 2;
}

static bool parseNumber(const char* text, int low, int high, int* value) {
  char* end = nullptr;
  long number = std::strtol(text, &end, 10);
  if (!*text || *end || number < low || number > high) return false;
  *value = (int)number;
  return true;
}

// Parses the flags; an empty string on success, else what is wrong.
static std::string parseOptions(int argc, char** argv, CaptureOptions* options) {
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag == "--exact") {
      options->exact = true;
      continue;
    }
    bool numeric = flag == "--fps" || flag == "--from" || flag == "--to" || flag == "--at";
    bool path = flag == "--png" || flag == "--video" || flag == "--sheet" || flag == "--report";
    if (!numeric && !path) return "unknown flag '" + flag + "'";
    if (i + 1 >= argc) return flag + " needs a value";
    const char* value = argv[++i];
    int number = 0;
    if (flag == "--fps") {
      if (!parseNumber(value, 1, 1000, &number)) return "--fps takes a whole number from 1 to 1000";
      options->fps = number;
    } else if (numeric) {
      if (!parseNumber(value, 0, 10 * SHOW_LENGTH_MS, &number))
        return flag + " takes milliseconds, a whole number from 0";
      if (flag == "--from") options->fromMs = number;
      if (flag == "--to") options->toMs = number;
      if (flag == "--at") options->atMs.push_back(number);
    } else {
      if (!*value) return flag + " needs a path";
      if (flag == "--png") options->pngDir = value;
      if (flag == "--video") options->videoPath = value;
      if (flag == "--sheet") options->sheetPath = value;
      if (flag == "--report") options->reportPath = value;
    }
  }
  if (options->fromMs > options->toMs) return "--from is after --to";
  if (options->pngDir.empty() && options->videoPath.empty() && options->sheetPath.empty() &&
      options->reportPath.empty())
    return "nothing to write: give --png, --video, --sheet or --report";
  return "";
}

static bool writable(const std::string& path) {
  FILE* file = std::fopen(path.c_str(), "ab");
  if (!file) return false;
  std::fclose(file);
  return true;
}

static int32_t frameElapsed(long k, int fps) { return (int32_t)std::lround(k * 1000.0 / fps); }

// The middle of each scene of the table: the contact sheet shows the first frame at or after it.
static std::vector<int> sceneMiddles() {
  std::vector<int> middles;
  for (int i = 0; i < SCENE_TABLE_SIZE; ++i) middles.push_back((sceneStartMs(i) + sceneEndMs(i)) / 2);
  return middles;
}

static int countMeshEntries() {
  int count = 0;
  int32_t at = 0;
  RenderEntry entry;
  while (nextQueueEntry(&at, &entry)) count += entry.mesh != nullptr;
  return count;
}

static void showProgress(long done, long total, double seconds) {
  double rate = seconds > 0 ? done / seconds : 0;
  double left = rate > 0 ? (total - done) / rate : 0;
  int filled = total > 0 ? (int)(30 * done / total) : 30;
  std::fprintf(stderr, "\r[%.*s%*s] %3d%% %ld/%ld frames, %.1f fps, %d:%02d left ", filled,
               "##############################", 30 - filled, "", (int)(100 * done / (total ? total : 1)),
               done, total, rate, (int)left / 60, (int)left % 60);
}

// The first frame to compute. Frames before the first one written only carry state to it,
// and the show's time jump brings that state there at once, except across the noise screen
// at the end of scene 4, whose generator each frame advances: a first written frame there
// is reached by computing every frame from 0.
static long firstComputedFrame(const CaptureOptions& options, const std::vector<int>& atTimes,
                               const std::vector<int>& sheetTimes, bool span, long total) {
  constexpr int32_t NOISE_SCREEN_FROM_MS = 38000, NOISE_SCREEN_TO_MS = 44000;
  if (!options.reportPath.empty()) return 0;   // a report row for every frame
  int first = SHOW_LENGTH_MS * 10;
  if (span) first = options.fromMs;
  for (int at : atTimes) first = at < first ? at : first;
  for (int middle : sheetTimes) first = middle < first ? middle : first;
  long k = 0;
  while (k + 1 < total && frameElapsed(k, options.fps) < first) ++k;
  int32_t elapsed = frameElapsed(k, options.fps);
  if (elapsed > NOISE_SCREEN_FROM_MS && elapsed <= NOISE_SCREEN_TO_MS) return 0;
  jumpShowTo(elapsed);
  return k;
}

int main(int argc, char** argv) {
  CaptureOptions options;
  std::string problem = parseOptions(argc, argv, &options);
  if (!problem.empty()) return fail(problem);

  // Check every output before the long work starts.
  if (!options.videoPath.empty() && !commandExists("ffmpeg"))
    return fail("--video needs the ffmpeg command, which was not found");
  if (!options.pngDir.empty()) {
    std::error_code error;
    std::filesystem::create_directories(options.pngDir, error);
    if (error || !writable(options.pngDir + "/.capture-test"))
      return fail("cannot write into '" + options.pngDir + "'");
    std::remove((options.pngDir + "/.capture-test").c_str());
  }
  for (const std::string* path : {&options.videoPath, &options.sheetPath, &options.reportPath})
    if (!path->empty() && !writable(*path)) return fail("cannot write '" + *path + "'");

  setenv("SDL_VIDEODRIVER", "offscreen", 0);
  setenv("SDL_AUDIODRIVER", "dummy", 0);
  if (!createDisplay(0)) {
    std::fprintf(stderr, "capture: cannot make an offscreen OpenGL context (%s)\n", platformError());
    return 1;
  }
  if (!initGlState()) return 1;
  bool exact = options.exact || exactPathRequested();
  loadAssets();
  bool music = openMusicAnalysis(SOUNDTRACK) != 0;
  if (!music) std::fprintf(stderr, "capture: no soundtrack in '%s': band levels stay 0\n", SOUNDTRACK);

  FILE* report = options.reportPath.empty() ? nullptr : std::fopen(options.reportPath.c_str(), "w");
  if (report)
    std::fprintf(report, "elapsed,scene,t,u,band_20_90,band_2500_3500,queue_slots,mesh_entries,"
                         "snapshot_values,frame_ms\n");
  FILE* video = nullptr;
  if (!options.videoPath.empty()) {
    video = openVideoPipe(options.videoPath, options.fps, music ? SOUNDTRACK : "",
                          frameElapsed((long)std::ceil(options.fromMs * options.fps / 1000.0), options.fps),
                          !exact);
    if (!video) return fail("cannot start ffmpeg for '" + options.videoPath + "'");
  }

  // Frames wanted: --at times (each the first frame at or after it), else all in [from, to];
  // the sheet adds the middle of every scene.
  std::vector<int> atPending = options.atMs;
  std::vector<int> sheetPending = options.sheetPath.empty() ? std::vector<int>() : sceneMiddles();
  std::vector<SheetCell> sheet;
  // The run ends with the last frame anything needs: --to for a span (PNG, video, report),
  // else the last --at time or the last scene's middle.
  int lastWanted = 0;
  bool span = !options.videoPath.empty() || !options.reportPath.empty() ||
              (!options.pngDir.empty() && options.atMs.empty());
  if (span) lastWanted = options.toMs;
  for (int at : atPending) lastWanted = at > lastWanted ? at : lastWanted;
  for (int middle : sheetPending) lastWanted = middle > lastWanted ? middle : lastWanted;

  std::vector<unsigned char> upright((size_t)FRAME_WIDTH * FRAME_HEIGHT * 3);
  startFrameWriter(!exact, video);
  frameGrabOnly = true;               // nothing shows the offscreen window
  long total = (long)std::ceil(lastWanted * (double)options.fps / 1000.0) + 1;
  long firstFrame = firstComputedFrame(options, atPending, sheetPending, span, total);
  auto begin = std::chrono::steady_clock::now();
  bool ok = true;
  for (long k = firstFrame; k < total && ok; ++k) {
    int32_t elapsed = frameElapsed(k, options.fps);
    bool inRange = elapsed >= options.fromMs && elapsed <= options.toMs;
    bool toPng = false, toSheet = false;
    if (!options.pngDir.empty()) {
      if (options.atMs.empty()) toPng = inRange;
      for (size_t i = 0; i < atPending.size(); ++i)
        if (elapsed >= atPending[i]) {
          toPng = true;
          atPending.erase(atPending.begin() + (long)i--);
        }
    }
    for (size_t i = 0; i < sheetPending.size(); ++i)
      if (elapsed >= sheetPending[i]) {
        toSheet = true;
        sheetPending.erase(sheetPending.begin() + (long)i--);
      }
    bool toVideo = video && inRange;
    bool written = toPng || toSheet || toVideo;

    if (music) setMusicAnalysisTime(elapsed);
    auto frameBegin = std::chrono::steady_clock::now();
    if (!written) {
      glEnable(GL_SCISSOR_TEST);
      glScissor(0, 0, 1, 1);
    }
    // A frame drawn through the one-pixel scissor takes the plain tail: the fast one copies
    // the whole screen, which no scissor limits.
    setExactPath(exact || !written);
    std::vector<unsigned char>* grab = written ? frameWriterBuffer() : nullptr;
    frameGrabPixels = grab ? grab->data() : nullptr;
    beginEffectsFrame(elapsed);
    renderFrame(elapsed);
    frameGrabPixels = nullptr;
    if (!written) glDisable(GL_SCISSOR_TEST);
    double frameMs =
        std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - frameBegin).count();

    std::string pngPath;
    if (toPng) {
      char name[64];
      std::snprintf(name, sizeof name, "/frame-%06d.png", (int)elapsed);
      pngPath = options.pngDir + name;
    }
    if (grab) submitFrame(grab, pngPath, toVideo, toSheet ? &upright : nullptr);
    if (toSheet) {
      int scene = sceneIndex >= 0 ? SceneTable[sceneIndex].scene : 0;
      char label[64];
      std::snprintf(label, sizeof label, "Scene %d  %.1f s", scene, elapsed / 1000.0);
      sheet.push_back({upright, label});
    }
    std::string failure = frameWriterFailure();
    if (!failure.empty()) {
      std::fprintf(stderr, "\ncapture: %s\n", failure.c_str());
      ok = false;
    }
    if (report) {
      int32_t t = elapsed - sceneStart;
      int scene = sceneIndex >= 0 ? SceneTable[sceneIndex].scene : 0;
      std::fprintf(report, "%d,%d,%d,%.4f,%.6f,%.6f,%d,%d,%d,%.3f\n", (int)elapsed, scene, (int)t,
                   t * 0.0005f, bandLevel(20, 90), bandLevel(2500, 3500), renderQueue.slotCount,
                   countMeshEntries(), renderQueue.snapshotCount, frameMs);
    }
    if (k % 10 == 0 || k + 1 == total)
      showProgress(k + 1, total,
                   std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
  }
  std::fprintf(stderr, "\n");
  if (!stopFrameWriter() && ok) {
    std::fprintf(stderr, "capture: %s\n", frameWriterFailure().c_str());
    ok = false;
  }

  if (report && std::fclose(report) != 0) ok = false;
  if (video && !closeVideoPipe(video)) {
    std::fprintf(stderr, "capture: ffmpeg failed to write '%s'\n", options.videoPath.c_str());
    ok = false;
  }
  if (!options.sheetPath.empty() && ok && !writeContactSheet(options.sheetPath, sheet, 5)) {
    std::fprintf(stderr, "capture: cannot write '%s'\n", options.sheetPath.c_str());
    ok = false;
  }
  if (music) closeMusicAnalysis();
  shutdownFastTail();
  freeAssets();
  releaseShaderProgram();
  std::fflush(stdout);
  return ok ? 0 : 1;
}
