// The show's command-line parser.
#include "app/options.h"

#include "platform/display.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>

#ifdef __EMSCRIPTEN__
constexpr Renderer DEFAULT_RENDERER = RendererEs3;   // WebGL2 is OpenGL ES 3.0
#else
constexpr Renderer DEFAULT_RENDERER = RendererGl1;
#endif

ShowOptions showOptions = {-1, 0, 0, 0, 0, nullptr, {0, 0, 0}, 0, DEFAULT_RENDERER, -1, 0};

const char* const SHOW_USAGE =
    "usage: show [--fullscreen | --window] [--size WxH] [--resolution WxH | auto] [--data DIR]\n"
    "            [--from MS | --scene N] [--controls] [--loop] [--exact] [--renderer NAME] [--help]\n"
    "  --fullscreen  fullscreen without asking (1024x768 where the display has that mode,\n"
    "                else the desktop's own resolution with the picture scaled; with\n"
    "                --resolution always the desktop's own resolution)\n"
    "  --window      a window without asking\n"
    "  --size WxH    the window's size in pixels, the picture 4:3 inside (default 1024x768,\n"
    "                or the --resolution given)\n"
    "  --resolution WxH\n"
    "                draw the picture for a WxH screen: the largest 4:3 picture that fits\n"
    "                (1920x1080 gives 1440x1080), up to 4096x3072, instead of 1024x768 scaled;\n"
    "                auto: for the window's own size at start\n"
    "  --data DIR    read the data set from DIR instead of data/\n"
    "  --from MS     start at MS milliseconds (0 to 183999), sound from the same point\n"
    "  --scene N     start at scene N (1 to 10)\n"
    "  --controls    keys while playing: Space pause, Right/Left 5 s, Page Down/Up scene, Home 0\n"
    "  --loop        start again from 0 at the end instead of exiting\n"
    "  --exact       draw every pass of the frame tail as written, not the faster one-pass\n"
    "                tail (as SHOW_EXACT=1 does)\n"
    "  --renderer NAME\n"
    "                the picture path: gl1 (OpenGL 1.x fixed function, the default), es3\n"
    "                (OpenGL ES 3.0 shaders) or core (the same shaders on OpenGL 3.3 core)\n"
    "  --help        print this and exit\n"
    "With no arguments the show asks \"Fullscreen?\" and reads data/ in the working directory\n"
    "(where there is none, data/ beside the program).\n";

// The page's still and benchmark modes are flags of the browser build alone.
#ifdef __EMSCRIPTEN__
constexpr bool PAGE_MODES = true;
#else
constexpr bool PAGE_MODES = false;
#endif

// A bad value: what is wrong on one line, then the usage.
static OptionsResult badValue(const char* problem, const char* value) {
  std::fprintf(stderr, "show: %s, not '%s'\n%s", problem, value ? value : "", SHOW_USAGE);
  return BadOptions;
}

static OptionsResult bad(const char* flag, const char* what, const char* value) {
  if (value)
    std::fprintf(stderr, "show: %s %s, not '%s'\n%s", flag, what, value, SHOW_USAGE);
  else
    std::fprintf(stderr, "show: %s %s\n%s", flag, what, SHOW_USAGE);
  return BadOptions;
}

// One side of WxH: 1 to 5 decimal digits, at most 16384.
static bool parseSide(const char* begin, const char* end, int* side) {
  if (end <= begin || end - begin > 5) return false;
  int value = 0;
  for (const char* c = begin; c < end; ++c) {
    if (*c < '0' || *c > '9') return false;
    value = value * 10 + (*c - '0');
  }
  if (value < 1 || value > 16384) return false;
  *side = value;
  return true;
}

static bool parseSize(const char* text, int* width, int* height) {
  const char* x = std::strchr(text, 'x');
  return x && parseSide(text, x, width) && parseSide(x + 1, text + std::strlen(text), height);
}

OptionsResult parseShowOptions(int argc, char** argv, ShowOptions* options) {
  *options = {-1, 0, 0, 0, 0, nullptr, {0, 0, 0}, 0, DEFAULT_RENDERER, -1, 0};
  for (int i = 1; i < argc; ++i) {
    const char* arg = argv[i];
    const char* problem = "";
    // "--flag=value" is taken as "--flag value".
    char flag[32];
    const char* value = nullptr;
    const char* equals = std::strchr(arg, '=');
    if (std::strncmp(arg, "--", 2) == 0 && equals && equals - arg < (long)sizeof flag) {
      std::snprintf(flag, sizeof flag, "%.*s", (int)(equals - arg), arg);
      value = equals + 1;
    } else {
      std::snprintf(flag, sizeof flag, "%s", std::strlen(arg) < sizeof flag ? arg : "");
    }
    bool takesValue = std::strcmp(flag, "--size") == 0 || std::strcmp(flag, "--resolution") == 0 || std::strcmp(flag, "--data") == 0 ||
                      std::strcmp(flag, "--renderer") == 0 || std::strcmp(flag, "--from") == 0 || std::strcmp(flag, "--scene") == 0 ||
                      (PAGE_MODES && std::strcmp(flag, "--still") == 0);
    if (takesValue && !value) {
      if (i + 1 >= argc) return bad(flag, "needs a value", nullptr);
      value = argv[++i];
    }
    // A switch given a value ("--fullscreen=x", "--window=") is refused, not taken as on.
    bool isSwitch = std::strcmp(flag, "--help") == 0 || std::strcmp(flag, "--fullscreen") == 0 ||
                    std::strcmp(flag, "--exact") == 0 || std::strcmp(flag, "--window") == 0 ||
                    (PAGE_MODES && std::strcmp(flag, "--bench") == 0);
    if (isSwitch && value) return bad(flag, "takes no value", value);
    if (std::strcmp(flag, "--help") == 0) {
      std::fputs(SHOW_USAGE, stdout);
      return ExitAfterHelp;
    } else if (std::strcmp(flag, "--fullscreen") == 0) {
      options->fullscreen = 1;
    } else if (std::strcmp(flag, "--exact") == 0) {
      options->exact = 1;
    } else if (std::strcmp(flag, "--window") == 0) {
      options->fullscreen = 0;
    } else if (std::strcmp(flag, "--size") == 0) {
      if (!parseSize(value, &options->windowWidth, &options->windowHeight))
        return bad(flag, "takes WxH in pixels, each side 1 to 16384 (e.g. 1280x960)", value);
    } else if (std::strcmp(flag, "--resolution") == 0) {
      if (std::strcmp(value, "auto") == 0) {
        options->frameWidth = options->frameHeight = -1;
      } else if (!parseSize(value, &options->frameWidth, &options->frameHeight) ||
                 options->frameWidth < 320 || options->frameHeight < 240) {
        return bad(flag, "takes WxH in pixels, at least 320x240 and each side at most 16384 "
                         "(e.g. 1920x1080), or auto", value);
      }
    } else if (std::strcmp(flag, "--renderer") == 0) {
      if (!parseRendererName(value, &options->renderer)) return bad(flag, "takes gl1, es3 or core", value);
      // A browser's WebGL2 is OpenGL ES 3.0, and the page's program has that path alone.
      if (PAGE_MODES && options->renderer != RendererEs3) return bad(flag, "takes es3 alone in a web page", value);
    } else if (std::strcmp(flag, "--data") == 0) {
      if (!value[0]) return bad(flag, "needs a folder", nullptr);
      options->dataFolder = value;
    } else if (PAGE_MODES && std::strcmp(flag, "--still") == 0) {
      char* end = nullptr;
      long ms = std::strtol(value, &end, 10);
      if (!value[0] || *end || ms < 0 || ms >= SHOW_LENGTH_MS)
        return bad(flag, "takes milliseconds, a whole number from 0 to 183999", value);
      options->stillMs = (int)ms;
    } else if (PAGE_MODES && std::strcmp(flag, "--bench") == 0) {
      options->bench = 1;
    } else if (int used = parsePlaybackFlag(flag, value, &options->playback, &problem)) {
      if (used < 0) return badValue(problem, value);
    } else {
      std::fprintf(stderr, "show: ignoring unknown argument '%s' (show --help lists the flags)\n", arg);
    }
  }
  return RunShow;
}
