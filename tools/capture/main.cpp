// capture — renders the show headless at a fixed frame rate, whatever the machine's speed.
//
//   capture [--fps N] [--from MS] [--to MS] [--at MS]... [--png DIR] [--video FILE]
//           [--sheet FILE] [--report FILE] [--resolution WxH] [--exact] [--renderer NAME] [--data DIR]
//           [--help]
//
// Run from the folder that holds data/, like the show, or name the data set with --data.
// Frame k has the elapsed time round(k * 1000 / fps) and goes through beginEffectsFrame and
// renderFrame exactly as in the main loop, with the band levels of the soundtrack decoded in
// step at that time, so the state that carries from frame to frame (camera, generators,
// textures, keyframe slots) carries as in a real run. The frames are computed in runs: a
// still (--at, a scene middle of the sheet) is a run of its own, a span (--from to --to for
// PNG files and video) one run, a report one run from frame 0; each run starts with the
// show's time jump where that gives the same state (runStart). Frames that are computed but
// not written are drawn with a one-pixel scissor: the same state, almost none of the fill
// cost.
//
// By default frames are drawn with the fast frame tail and PNG files are written with the
// fastest zlib level and one row filter (the same pixels within 2 per channel, larger
// files), and video with x264's fastest preset; --exact (or SHOW_EXACT=1) draws every pass as
// written and writes PNG files and video as before. Encoding and writing run on a thread of
// their own while the next frame is drawn.
//
// SIGINT and SIGTERM stop the run after the frame in progress: what is queued is written,
// the video finished, and the exit status is 128 + the signal's number. SIGPIPE is ignored,
// so that an ffmpeg that stops shows as a failed write, said in one line. On Windows the
// console's Ctrl-C does what SIGINT does, and Ctrl-Break and closing the console what
// SIGTERM does; frames are drawn in a hidden window there, into the offscreen picture, since
// SDL has no offscreen driver on Windows.
#include <SDL2/SDL.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>
#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
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
#include "platform/data_folder.h"
#include "platform/platform.h"
#include "png_writer.h"
#include "render/fast_tail.h"
#include "render/picture_path.h"
#include "render/render_internal.h"
#include "scenes/scenes.h"

static const char* const USAGE =
    "usage: capture [--fps N] [--from MS] [--to MS] [--at MS]... [--png DIR] [--video FILE]\n"
    "               [--sheet FILE] [--report FILE] [--resolution WxH] [--exact] [--renderer NAME]\n"
    "               [--data DIR] [--help]\n";
static const char* const HELP =
    "Renders the show headless at a fixed frame rate, whatever the machine's speed.\n"
    "  --fps N        frames per second, 1 to 1000 (60)\n"
    "  --from MS      the span starts with the first frame at or after MS milliseconds (0)\n"
    "  --to MS        and ends at MS (the show's end)\n"
    "  --at MS        a still: the first frame at or after MS, as a PNG file; may be repeated\n"
    "  --png DIR      PNG files DIR/frame-<ms>.png: the --at stills, else every frame of the span\n"
    "  --video FILE   the span as H.264 MP4 with the soundtrack (needs ffmpeg)\n"
    "  --sheet FILE   a contact sheet PNG: the middle of every scene\n"
    "  --report FILE  one CSV row per frame from 0 to the last frame wanted\n"
    "  --resolution WxH  the frames' size (1024x768): the largest 4:3 picture that fits is\n"
    "                 drawn at that size, up to 4096x3072, centred, black bars beside it\n"
    "                 (1920x1080 gives a 1440x1080 picture; 3840x2160, 2880x2160)\n"
    "  --exact        every pass of the frame tail, PNG files and video at their slower settings\n"
    "  --renderer NAME  the picture path: gl1 (OpenGL 1.x fixed function, the default), es3\n"
    "                 (OpenGL ES 3.0 shaders) or core (the same shaders on OpenGL 3.3 core)\n"
    "  --data DIR     read the data set from DIR instead of data/\n"
    "  --help         this text\n"
#ifdef _WIN32
    "Ctrl-C, Ctrl-Break or closing the console stops after the frame in progress and keeps\n"
    "what was made.\n"
#else
    "Ctrl-C or SIGTERM stops after the frame in progress and keeps what was made.\n"
#endif
    "Exit status: 0 done, 1 failed, 2 bad command line, 3 no data set, 128 + N stopped by signal N.\n";
static const char* const SOUNDTRACK = "maronekt-mix6.mp3";

struct CaptureOptions {
  int fps = 60;
  int fromMs = 0;
  int toMs = SHOW_LENGTH_MS;
  std::vector<int> atMs;
  std::string pngDir, videoPath, sheetPath, reportPath, dataDir;
  int frameWidth = 1024, frameHeight = 768;
  bool exact = false;
  Renderer renderer = RendererGl1;
  bool help = false;
};

// The signal that asked the run to stop, 0 while none has.
static volatile sig_atomic_t stopSignal = 0;

static void onStopSignal(int number) {
  if (!stopSignal) stopSignal = number;
}

#ifdef _WIN32
// The console's events come on a thread of their own. Ctrl-C stops the run as SIGINT does,
// Ctrl-Break as SIGTERM does. Closing the console (or logging off, shutting down) ends the
// process as soon as the handler returns, a few seconds at most after the event: the handler
// waits there while the main loop finishes its files, and main's own exit (128 + SIGTERM)
// ends the process with the waiting handler in it.
static BOOL WINAPI onConsoleEvent(DWORD event) {
  onStopSignal(event == CTRL_C_EVENT ? SIGINT : SIGTERM);
  if (event == CTRL_CLOSE_EVENT || event == CTRL_LOGOFF_EVENT || event == CTRL_SHUTDOWN_EVENT) Sleep(INFINITE);
  return TRUE;
}

// SDL's own SIGINT handler (the C runtime's, on top of the console's) would be called before
// this one and take Ctrl-C for itself.
static void catchStopSignals() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");
  SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

// The C runtime's environment, which getenv reads, and the process's, which SDL reads: both.
static void setEnvironment(const char* name, const char* value, bool replace) {
  if (replace || !std::getenv(name)) _putenv_s(name, value);
}
#else
// SIGINT and SIGTERM end the run after the frame in progress; a signal ignored when the
// capture started (a background job of a shell without job control, nohup) stays ignored.
// Writes are restarted after the handler, so no write is cut short by it.
static void catchStopSignals() {
  SDL_SetHint(SDL_HINT_NO_SIGNAL_HANDLERS, "1");   // else SDL's video takes both over
  for (int number : {SIGINT, SIGTERM}) {
    struct sigaction old {};
    sigaction(number, nullptr, &old);
    if (old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = onStopSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    sigaction(number, &action, nullptr);
  }
  signal(SIGPIPE, SIG_IGN);
}

static void setEnvironment(const char* name, const char* value, bool replace) {
  setenv(name, value, replace ? 1 : 0);
}
#endif

// A folder that files can be made in. Windows' access() knows no execute right.
static bool canWriteInto(const char* folder) {
#ifdef _WIN32
  return access(folder, W_OK) == 0;
#else
  return access(folder, W_OK | X_OK) == 0;
#endif
}

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

// The largest side of an output frame: 8K video (7680x4320) fits, and the few frames held
// in memory at once (a frame is 3 bytes a pixel) stay within a few hundred megabytes.
constexpr int MOST_FRAME_SIDE = 8192;

// WxH: at least 320x240, each side at most MOST_FRAME_SIDE.
static bool parseFrameSize(const std::string& text, int* width, int* height) {
  size_t x = text.find('x');
  if (x == std::string::npos || text.find_first_not_of("0123456789x") != std::string::npos) return false;
  return parseNumber(text.substr(0, x).c_str(), 320, MOST_FRAME_SIDE, width) &&
         parseNumber(text.substr(x + 1).c_str(), 240, MOST_FRAME_SIDE, height);
}

// Parses the flags; an empty string on success, else what is wrong.
static std::string parseOptions(int argc, char** argv, CaptureOptions* options) {
  for (int i = 1; i < argc; ++i)   // --help anywhere asks for the usage alone
    if (std::strcmp(argv[i], "--help") == 0) {
      options->help = true;
      return "";
    }
  for (int i = 1; i < argc; ++i) {
    std::string flag = argv[i];
    if (flag == "--exact") {
      options->exact = true;
      continue;
    }
    bool numeric = flag == "--fps" || flag == "--from" || flag == "--to" || flag == "--at";
    bool path = flag == "--png" || flag == "--video" || flag == "--sheet" || flag == "--report" ||
                flag == "--data";
    if (!numeric && !path && flag != "--resolution" && flag != "--renderer") return "unknown flag '" + flag + "'";
    if (i + 1 >= argc) return flag + " needs a value";
    const char* value = argv[++i];
    int number = 0;
    if (flag == "--renderer") {
      if (!parseRendererName(value, &options->renderer))
        return "--renderer takes gl1, es3 or core, not '" + std::string(value) + "'";
    } else if (flag == "--resolution") {
      if (!parseFrameSize(value, &options->frameWidth, &options->frameHeight))
        return "--resolution takes WxH in pixels, at least 320x240 and each side at most " +
               std::to_string(MOST_FRAME_SIDE) + " (e.g. 1920x1080), not '" + std::string(value) + "'";
    } else if (flag == "--fps") {
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
      if (flag == "--data") options->dataDir = value;
    }
  }
  if (options->fromMs > options->toMs) return "--from is after --to";
  // H.264 in 4:2:0 halves both sides of the colour.
  if (!options->videoPath.empty() && (options->frameWidth % 2 || options->frameHeight % 2))
    return "--video needs a --resolution with even sides";
  if (options->pngDir.empty() && options->videoPath.empty() && options->sheetPath.empty() &&
      options->reportPath.empty())
    return "nothing to write: give --png, --video, --sheet or --report";
  return "";
}

// Whether `path` could be written, found out without making anything: an existing file that
// may be written, or a new name in a folder that may be written into.
static bool writable(const std::string& path) {
  struct stat info {};
  if (stat(path.c_str(), &info) == 0) return !S_ISDIR(info.st_mode) && access(path.c_str(), W_OK) == 0;
  std::string parent = std::filesystem::path(path).parent_path().string();
  const char* folder = parent.empty() ? "." : parent.c_str();
  return stat(folder, &info) == 0 && S_ISDIR(info.st_mode) && canWriteInto(folder);
}

static int32_t frameElapsed(long k, int fps) { return fixedRateElapsed(k, fps); }

// The first frame at or after `ms`: where a still, the span and the span's sound start.
static long firstFrameAtOrAfter(int32_t ms, int fps) { return firstFixedRateFrameAt(ms, fps); }

// The frame to start computing from to reach frame k. The frames before k only carry state
// to it, and the show's time jump brings that state there at once, except where
// straightRunStart says otherwise.
static long runStart(long k, int fps) {
  return firstFrameAtOrAfter(straightRunStart(frameElapsed(k, fps)), fps);
}

// Frames first .. last computed one after the other, the first reached by the time jump.
struct FrameRun {
  long first, last;
};

// The runs in time order, overlapping or adjoining ones joined: one run from frame 0 for a
// report (a row for every frame), else one for the span and one for each still.
static std::vector<FrameRun> planRuns(bool fromStart, bool span, long spanFirst, long spanLast,
                                      const std::vector<long>& stills, int fps) {
  std::vector<FrameRun> runs;
  if (fromStart) return {{0, spanLast}};
  if (span) runs.push_back({runStart(spanFirst, fps), spanLast});
  for (long still : stills) runs.push_back({runStart(still, fps), still});
  std::sort(runs.begin(), runs.end(), [](const FrameRun& a, const FrameRun& b) { return a.first < b.first; });
  std::vector<FrameRun> joined;
  for (const FrameRun& run : runs) {
    if (!joined.empty() && run.first <= joined.back().last + 1)
      joined.back().last = std::max(joined.back().last, run.last);
    else
      joined.push_back(run);
  }
  return joined;
}

// The middle of each scene of the table: the contact sheet shows the first frame at or after it.
static std::vector<int> sceneMiddles() {
  std::vector<int> middles;
  for (int i = 0; i < SCENE_TABLE_SIZE; ++i) middles.push_back((sceneStartMs(i) + sceneEndMs(i)) / 2);
  return middles;
}

// The first frame at or after each time, in order, each once.
static std::vector<long> stillFrames(const std::vector<int>& times, int fps) {
  std::vector<long> frames;
  for (int ms : times) frames.push_back(firstFrameAtOrAfter(ms, fps));
  std::sort(frames.begin(), frames.end());
  frames.erase(std::unique(frames.begin(), frames.end()), frames.end());
  return frames;
}

static bool contains(const std::vector<long>& sorted, long k) {
  return std::binary_search(sorted.begin(), sorted.end(), k);
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

// What the run made, for the line that says where a stopped run stopped.
static std::string outputList(const CaptureOptions& options) {
  std::string list;
  for (const std::string* path : {&options.videoPath, &options.pngDir, &options.sheetPath, &options.reportPath})
    if (!path->empty()) list += (list.empty() ? "'" : ", '") + *path + "'";
  return list;
}

int main(int argc, char** argv) {
  CaptureOptions options;
  std::string problem = parseOptions(argc, argv, &options);
  if (options.help) {
    std::fputs(USAGE, stdout);
    std::fputs(HELP, stdout);
    return 0;
  }
  if (!problem.empty()) return fail(problem);
  setDataFolder(options.dataDir.c_str());
  if (reportMissingDataFolder("capture")) return 3;
  const std::string soundtrack = dataPath(SOUNDTRACK);

  // Check every output before the long work starts, leaving nothing behind.
  if (!options.videoPath.empty() && !commandExists("ffmpeg"))
    return fail("--video needs the ffmpeg command, which was not found");
  std::error_code error;
  bool madePngDir = false;
  if (!options.pngDir.empty()) {
    bool existed = std::filesystem::is_directory(options.pngDir, error);
    if (!existed) madePngDir = std::filesystem::create_directories(options.pngDir, error);
    if (error || !std::filesystem::is_directory(options.pngDir, error) ||
        !canWriteInto(options.pngDir.c_str()))
      return fail("cannot write into '" + options.pngDir + "'");
  }
  // A run that ends before its first frame leaves no folder it made.
  auto dropPngDir = [&] {
    if (madePngDir) std::filesystem::remove(options.pngDir, error);
  };
  for (const std::string* path : {&options.videoPath, &options.sheetPath, &options.reportPath})
    if (!path->empty() && !writable(*path)) {
      dropPngDir();
      return fail("cannot write '" + *path + "'");
    }

  catchStopSignals();
#ifdef _WIN32
  // No offscreen driver: a window that is never shown, and the frames drawn into the
  // offscreen picture, since the pixels of a hidden window are not guaranteed.
  setEnvironment("SDL_VIDEODRIVER", "windows", false);
  setEnvironment("SHOW_FBO", "1", true);
#else
  setEnvironment("SDL_VIDEODRIVER", "offscreen", false);
#endif
  requestHiddenWindow(1);             // nobody sees it: frames are read, never presented
  requestRenderer(options.renderer);
  setEnvironment("SDL_AUDIODRIVER", "dummy", false);
  // The window has the picture's size, so that the frames are drawn straight into it.
  setScreenSize(options.frameWidth, options.frameHeight);
  requestWindowSize(screenWidth(), screenHeight());
  if (!createDisplay(0)) {
    std::fprintf(stderr, "capture: cannot make an offscreen OpenGL context (%s)\n", platformError());
    dropPngDir();
    return 1;
  }
  if (!initGlState()) {
    if (pictureRefusal()[0]) std::fprintf(stderr, "capture: %s\n", pictureRefusal());
    destroyDisplay();
    dropPngDir();
    return 1;
  }
  // The driver may have drawn the line at a smaller picture: it is centred all the same.
  frameSizes = {options.frameWidth, options.frameHeight, screenWidth(), screenHeight()};
  bool exact = options.exact || exactPathRequested();
  loadAssets();
  bool music = openMusicAnalysis(soundtrack.c_str()) != 0;
  if (!music) std::fprintf(stderr, "capture: no soundtrack in '%s': band levels stay 0\n", soundtrack.c_str());

  // Frames wanted: --at stills (each the first frame at or after its time), else the span of
  // frames in [from, to]; the sheet adds the middle of every scene. A report has a row for
  // every frame up to the last one anything asks for.
  bool span = !options.videoPath.empty() || !options.reportPath.empty() ||
              (!options.pngDir.empty() && options.atMs.empty());
  int lastWanted = span ? options.toMs : 0;
  for (int at : options.atMs) lastWanted = std::max(lastWanted, at);
  std::vector<long> pngStills = options.pngDir.empty() ? std::vector<long>() : stillFrames(options.atMs, options.fps);
  std::vector<long> sheetStills =
      options.sheetPath.empty() ? std::vector<long>() : stillFrames(sceneMiddles(), options.fps);
  for (int middle : options.sheetPath.empty() ? std::vector<int>() : sceneMiddles())
    lastWanted = std::max(lastWanted, middle);
  long total = (long)std::ceil(lastWanted * (double)options.fps / 1000.0) + 1;   // frames 0 .. total - 1
  long spanFirst = firstFrameAtOrAfter(options.fromMs, options.fps);
  long spanLast = std::min(total - 1, firstFrameAtOrAfter(options.toMs, options.fps));
  std::vector<long> stills = pngStills;
  stills.insert(stills.end(), sheetStills.begin(), sheetStills.end());
  bool fromStart = !options.reportPath.empty();
  std::vector<FrameRun> runs =
      planRuns(fromStart, span, spanFirst, fromStart ? total - 1 : spanLast, stills, options.fps);
  long toCompute = 0;
  for (const FrameRun& run : runs) toCompute += run.last - run.first + 1;

  if (stopSignal) {   // stopped while loading: nothing made yet
    dropPngDir();
    return 128 + stopSignal;
  }
  FILE* video = nullptr;
  if (!options.videoPath.empty()) {
    // The sound starts with the first frame written, by the rule that picks that frame.
    video = openVideoPipe(options.videoPath, options.fps, music ? soundtrack : "",
                          frameElapsed(spanFirst, options.fps), !exact);
    if (!video) {
      dropPngDir();
      return fail("cannot start ffmpeg for '" + options.videoPath + "'");
    }
  }
  FILE* report = options.reportPath.empty() ? nullptr : std::fopen(options.reportPath.c_str(), "w");
  if (report)
    std::fprintf(report, "elapsed,scene,t,u,band_20_90,band_2500_3500,queue_slots,mesh_entries,"
                         "snapshot_values,frame_ms\n");

  std::vector<unsigned char> upright((size_t)frameSizes.width * frameSizes.height * 3);
  std::vector<SheetCell> sheet;
  startFrameWriter(!exact, video);
  auto begin = std::chrono::steady_clock::now();
  bool ok = true;
  long done = 0, lastFrame = -1, lastVideoFrame = -1, diskFullAt = -1;
  for (const FrameRun& run : runs) {
    if (!ok || stopSignal) break;
    if (run.first > 0) jumpShowTo(frameElapsed(run.first, options.fps));   // frame 0 follows loadAssets
    for (long k = run.first; k <= run.last && ok && !stopSignal; ++k) {
      int32_t elapsed = frameElapsed(k, options.fps);
      bool inRange = span && elapsed >= options.fromMs && elapsed <= options.toMs;
      bool toPng = !options.pngDir.empty() && (options.atMs.empty() ? inRange : contains(pngStills, k));
      bool toSheet = contains(sheetStills, k);
      bool toVideo = video && inRange;
      bool written = toPng || toSheet || toVideo;
      if (toVideo && diskFull(options.videoPath)) {   // ffmpeg would lose what comes next
        diskFullAt = k;
        ok = false;
        break;
      }

      if (music) setMusicAnalysisTime(elapsed);
      auto frameBegin = std::chrono::steady_clock::now();
      if (!written) drawIntoOnePixel(1);
      // A frame drawn through the one-pixel scissor takes the plain tail: the fast one copies
      // the whole screen, which no scissor limits.
      setExactPath(exact || !written);
      std::vector<unsigned char>* grab = written ? frameWriterBuffer() : nullptr;
      beginEffectsFrame(elapsed);
      renderFrame(elapsed);
      if (grab) grabFinishedFrame(grab->data());
      if (!written) drawIntoOnePixel(0);
      double frameMs =
          std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - frameBegin).count();

      std::string pngPath;
      if (toPng) {
        char name[64];
        std::snprintf(name, sizeof name, "/frame-%06d.png", (int)elapsed);
        pngPath = options.pngDir + name;
      }
      if (grab) submitFrame(grab, k, pngPath, toVideo, toSheet ? &upright : nullptr);
      if (toVideo) lastVideoFrame = k;
      if (toSheet) {
        int scene = sceneIndex >= 0 ? SceneTable[sceneIndex].scene : 0;
        char label[64];
        std::snprintf(label, sizeof label, "Scene %d  %.1f s", scene, elapsed / 1000.0);
        sheet.push_back({upright, label});
      }
      if (!frameWriterFailure().empty()) ok = false;
      if (report) {
        int32_t t = elapsed - sceneStart;
        int scene = sceneIndex >= 0 ? SceneTable[sceneIndex].scene : 0;
        std::fprintf(report, "%d,%d,%d,%.4f,%.6f,%.6f,%d,%d,%d,%.3f\n", (int)elapsed, scene, (int)t,
                     t * 0.0005f, bandLevel(20, 90), bandLevel(2500, 3500), renderQueue.slotCount,
                     countMeshEntries(), renderQueue.snapshotCount, frameMs);
      }
      lastFrame = k;
      ++done;
      if (done % 10 == 0 || done == toCompute)
        showProgress(done, toCompute,
                     std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count());
    }
  }
  std::fprintf(stderr, "\n");

  // What is queued is written, whatever ended the run; then each output is finished, and
  // the first thing that failed is said in one line.
  ok = stopFrameWriter() && ok;
  std::string failure = frameWriterFailure();
  if (report && (std::ferror(report) | std::fclose(report)) != 0 && failure.empty())
    failure = "cannot write '" + options.reportPath + "'" + (diskFull(options.reportPath) ? ": the disk is full" : "");
  if (video) {
    // ffmpeg does not always say that the disk filled up (a write that fails as it closes
    // the file passes unsaid): a disk left without room counts as one that filled up.
    long cutAt = frameWriterVideoFailure();   // the first frame ffmpeg did not take
    if (cutAt < 0) cutAt = diskFullAt;
    bool closed = closeVideoPipe(video);
    std::string said = videoEncoderLastLine();
    bool full = diskFull(options.videoPath) || said.find("No space left") != std::string::npos;
    if (lastVideoFrame < 0) std::remove(options.videoPath.c_str());   // ffmpeg's file, no frame in it
    if (full) {
      long at = cutAt >= 0 ? cutAt : lastVideoFrame;
      char where[64];
      std::snprintf(where, sizeof where, "frame %ld (%.3f s)", at, frameElapsed(at, options.fps) / 1000.0);
      failure = lastVideoFrame < 0
                    ? "the disk is full: no room for '" + options.videoPath + "' at " + where
                    : "the disk is full: the video in '" + options.videoPath + "' ends at " + where +
                          " or before; what was written plays";
    } else if (cutAt >= 0) {
      failure = "ffmpeg stopped taking frames: " + (said.empty() ? "it said nothing" : said);
    } else if (!closed) {
      if (failure.empty())
        failure = "ffmpeg failed to write '" + options.videoPath + "'" + (said.empty() ? "" : ": " + said);
    } else if (lastVideoFrame >= 0 && !std::filesystem::exists(options.videoPath, error)) {
      failure = "ffmpeg ended well but left no '" + options.videoPath + "'";
    } else if (lastVideoFrame >= 0) {
      std::string why = finishVideo(options.videoPath);
      if (!why.empty())
        std::fprintf(stderr, "capture: '%s' stays fragmented (it plays): %s\n", options.videoPath.c_str(),
                     why.c_str());
    }
  }
  if (!failure.empty()) {
    std::fprintf(stderr, "capture: %s\n", failure.c_str());
    ok = false;
  }
  if (!options.sheetPath.empty() && ok && !writeContactSheet(options.sheetPath, sheet, 5)) {
    std::fprintf(stderr, "capture: cannot write '%s'\n", options.sheetPath.c_str());
    ok = false;
  }
  if (stopSignal) {
    if (lastFrame >= 0)
      std::fprintf(stderr, "capture: stopped at frame %ld (%.3f s); the frames so far are in %s\n", lastFrame,
                   frameElapsed(lastFrame, options.fps) / 1000.0, outputList(options).c_str());
    else
      std::fprintf(stderr, "capture: stopped before the first frame\n");
  }
  if (music) closeMusicAnalysis();
  shutdownFastTail();
  freeAssets();
  releaseShaderProgram();
  destroyDisplay();
  std::fflush(stdout);
  if (stopSignal) return 128 + stopSignal;
  return ok ? 0 : 1;
}
