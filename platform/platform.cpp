// SDL2 implementation of the operating-system layer.
// Owns the one window, its GL context (filling gl/'s entry point table for it), the
// requested fullscreen mode and the Escape latch.
#include "platform/platform.h"

#include <SDL2/SDL.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "gl/extensions.h"
#include "platform/display_watch.h"
#include "platform/page.h"

#ifdef __EMSCRIPTEN__
#include <emscripten.h>
#endif

static SDL_Window* window;
static SDL_GLContext glContext;
static int fullscreenWidth, fullscreenHeight, fullscreenBits;
static int escapePressed;             // latched by event pumping, cleared by escapeKeyState
static int videoStarted;              // SDL's video and events are up, on a display
static int windowHidden;              // the window is never shown (requestHiddenWindow)
static char lastError[512];

// Keeps "what: SDL's reason" on one line for the caller's one-line message.
static void noteError(const char* what) {
  std::snprintf(lastError, sizeof lastError, "%s: %s", what, SDL_GetError());
  for (char* c = lastError; *c; ++c)
    if (*c == '\n' || *c == '\r') *c = ' ';
}

const char* platformError() { return lastError; }

// Caption and text on one line, for when no box can be shown.
static void writeBoxToStderr(const char* caption, const char* text) {
  if (text && text[0])
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text);
  else
    std::fprintf(stderr, "%s\n", caption ? caption : "");
  std::fflush(stderr);
}

// Shows a box without an owner window (SDL then uses its own X11 box where there is an X
// display). Returns the id of the button pressed, -1 when the box was closed without a
// button, or -2 when no box could be shown at all.
static int showBox(const char* caption, const char* text, Uint32 flags,
                   const SDL_MessageBoxButtonData* buttons, int buttonCount) {
  SDL_MessageBoxData data{};
  data.flags = flags | SDL_MESSAGEBOX_BUTTONS_LEFT_TO_RIGHT;
  data.window = nullptr;
  data.title = caption ? caption : "";
  data.message = text ? text : "";
  data.numbuttons = buttonCount;
  data.buttons = buttons;
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) < 0) {
    // SDL shows the box from a child process of its own; when the display went away under
    // it, the child ends and only this failure comes back. Reading this process's own
    // connection then finds the display gone (and ends the process, see
    // exitWhenDisplayGoes) rather than taking the box for one that could not be shown.
    if (videoStarted) SDL_PumpEvents();
    return -2;
  }
  return pressed;
}

int askYesNo(const char* caption, const char* text) {
#ifdef __EMSCRIPTEN__
  return pageDialog(caption, text, 1);
#endif
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
  };
  int pressed = showBox(caption, text, SDL_MESSAGEBOX_INFORMATION, buttons, 2);
  if (pressed == -2) writeBoxToStderr(caption, text);
  return pressed == 1 ? 1 : 0;
}

void showMessageBox(const char* caption, const char* text, int warning) {
#ifdef __EMSCRIPTEN__
  (void)warning;
  pageDialog(caption, text, 0);
  return;
#endif
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"},
  };
  Uint32 flags = warning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
  if (showBox(caption, text, flags, buttons, 1) == -2) writeBoxToStderr(caption, text);
}

// SDL's offscreen and dummy drivers show nothing: they are used only where SDL_VIDEODRIVER
// names them (the tests, the capture tool). Without that variable SDL is given every other
// driver it has, in its own order, so that a missing display ends the start rather than
// turning into a show nobody sees.
static bool invisibleDriver(const char* name) {
  return std::strcmp(name, "offscreen") == 0 || std::strcmp(name, "dummy") == 0 ||
         std::strcmp(name, "evdev") == 0;
}

// Wayland's library finds no compositor without XDG_RUNTIME_DIR, unless WAYLAND_DISPLAY is a
// path; trying it then would only add a complaint of its own to the terminal.
static bool waylandReachable() {
  const char* runtime = std::getenv("XDG_RUNTIME_DIR");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  return (runtime && runtime[0]) || (wayland && wayland[0] == '/');
}

// Why no display could be had, on one line: what DISPLAY says, and what the drivers asked
// for in SDL_VIDEODRIVER gave.
static void noteNoDisplay(const char* asked) {
#ifdef _WIN32
  (void)asked;
  std::snprintf(lastError, sizeof lastError, "%s", SDL_GetError());
#else
  const char* display = std::getenv("DISPLAY");
  char where[160];
  if (!display || !display[0])
    std::snprintf(where, sizeof where, "DISPLAY is unset");
  else
    std::snprintf(where, sizeof where, "no X server answers at DISPLAY=%s", display);
  if (!asked)
    std::snprintf(lastError, sizeof lastError, "%s", where);
  else if (std::strstr(asked, "x11"))
    std::snprintf(lastError, sizeof lastError, "%s; SDL_VIDEODRIVER=%s: %s", where, asked, SDL_GetError());
  else
    std::snprintf(lastError, sizeof lastError, "SDL_VIDEODRIVER=%s: %s", asked, SDL_GetError());
#endif
  for (char* c = lastError; *c; ++c)
    if (*c == '\n' || *c == '\r') *c = ' ';
}

int startVideo() {
  if (videoStarted) return 1;
  lastError[0] = 0;
  const char* asked = std::getenv("SDL_VIDEODRIVER");
  if (asked && !asked[0]) asked = nullptr;
  if (!asked) {
    char drivers[256] = "";
    for (int i = 0; i < SDL_GetNumVideoDrivers(); ++i) {
      const char* name = SDL_GetVideoDriver(i);
      if (!name || invisibleDriver(name)) continue;
      if (std::strcmp(name, "wayland") == 0 && !waylandReachable()) continue;
      size_t used = std::strlen(drivers);
      std::snprintf(drivers + used, sizeof drivers - used, "%s%s", used ? "," : "", name);
    }
    // An empty hint would let SDL fall back on its whole list, the invisible drivers too.
    if (!drivers[0]) {
      noteNoDisplay(nullptr);
      return 0;
    }
    SDL_SetHint(SDL_HINT_VIDEODRIVER, drivers);
  }
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) < 0) {
    noteNoDisplay(asked);
    return 0;
  }
  videoStarted = 1;
  watchDisplayAgain();                // after SDL's own set-up, so that the handler is ours
  return 1;
}

void requestFullscreenMode(int width, int height, int bitsPerPixel) {
  fullscreenWidth = width;
  fullscreenHeight = height;
  fullscreenBits = bitsPerPixel;
}

static Renderer renderer = RendererGl1;

void requestRenderer(Renderer chosen) { renderer = chosen; }
Renderer requestedRenderer() { return renderer; }

static const char* const RENDERER_NAME[] = {"gl1", "es3", "core"};

const char* rendererName(Renderer chosen) { return RENDERER_NAME[chosen]; }

int parseRendererName(const char* text, Renderer* chosen) {
  for (int i = 0; i < 3; ++i)
    if (text && std::strcmp(text, RENDERER_NAME[i]) == 0) {
      *chosen = (Renderer)i;
      return 1;
    }
  return 0;
}

// Double-buffered RGBA with a depth buffer, in the profile the picture path needs: the
// compatibility profile for the fixed-function GL 1.x calls, OpenGL ES 3.0 or 3.3 core for
// the shader path. A fallback asks for less, so that a driver without the context asked for
// still gives one whose version can be named in the refusal: 1, the nearest older context of
// the same kind (ES 2.0); 2, whatever the driver makes by default.
static void setContextAttributes(int depthBits, int fallback) {
  SDL_GL_ResetAttributes();
  if (renderer == RendererEs3 && fallback < 2) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_ES);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, fallback ? 2 : 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 0);
  } else if (renderer == RendererCore && fallback == 0) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_CORE);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MAJOR_VERSION, 3);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_MINOR_VERSION, 3);
  } else if (renderer == RendererGl1) {
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  }
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depthBits);
}

// Gives the requested mode to the window where the display has exactly that size, in a
// 32-bit pixel format when 32 bits were asked for: one of its listed modes (best refresh
// rate first), else its desktop mode (some drivers list none). Returns 0 when it has none:
// the window then covers the desktop at the desktop's own resolution.
static int setRequestedMode(SDL_Window* w) {
  if (fullscreenWidth <= 0 || fullscreenHeight <= 0) return 0;
  int display = SDL_GetWindowDisplayIndex(w);
  if (display < 0) display = 0;
  int count = SDL_GetNumDisplayModes(display);
  for (int i = 0; i <= count; ++i) {
    SDL_DisplayMode mode{};
    int got = i < count ? SDL_GetDisplayMode(display, i, &mode) : SDL_GetDesktopDisplayMode(display, &mode);
    if (got != 0) continue;
    if (mode.w != fullscreenWidth || mode.h != fullscreenHeight) continue;
    if (fullscreenBits == 32 && SDL_BYTESPERPIXEL(mode.format) != 4) continue;
    return SDL_SetWindowDisplayMode(w, &mode) == 0 ? 1 : 0;
  }
  return 0;
}

void requestHiddenWindow(int hidden) { windowHidden = hidden ? 1 : 0; }
int hiddenWindowRequested() { return windowHidden; }

int openWindow(int width, int height, int fullscreen) {
  if (!startVideo()) return 0;
  lastError[0] = 0;
  // The window is made hidden, given its mode, then shown: a fullscreen window switches
  // the display to that mode as it appears.
  // Resizable: a window manager may resize or maximise it, and the picture follows the
  // drawable (in pixels, so a high-density display gets its full resolution).
  const Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_HIDDEN | SDL_WINDOW_RESIZABLE |
                       SDL_WINDOW_ALLOW_HIGHDPI;
  // A 32-bit depth buffer where the driver has one; on the shader path, at last the
  // fallbacks (see setContextAttributes).
  struct Attempt {
    int depth, fallback;
  };
  const Attempt attempts[] = {{32, 0}, {24, 0}, {24, 1}, {24, 2}};
  for (const Attempt& attempt : attempts) {
    if (attempt.fallback > 0 && renderer == RendererGl1) break;
    if (attempt.fallback == 1 && renderer == RendererCore) continue;
    setContextAttributes(attempt.depth, attempt.fallback);
    window = SDL_CreateWindow("", 0, 0, width, height, flags);
    if (!window) {
      noteError("cannot open the window");
      continue;
    }
    glContext = SDL_GL_CreateContext(window);
    if (glContext) break;
    noteError("cannot make an OpenGL context");
    SDL_DestroyWindow(window);
    window = nullptr;
  }
  if (!window) return 0;
  lastError[0] = 0;
  if (fullscreen && setRequestedMode(window)) {
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN);
  } else if (fullscreen) {
    // Sized to the display first: without a window manager to honour the fullscreen
    // state, the window would keep its own size.
    SDL_Rect bounds{};
    int display = SDL_GetWindowDisplayIndex(window);
    if (SDL_GetDisplayBounds(display < 0 ? 0 : display, &bounds) == 0) {
      SDL_SetWindowPosition(window, bounds.x, bounds.y);
      SDL_SetWindowSize(window, bounds.w, bounds.h);
    }
    SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN_DESKTOP);
  }
  if (!windowHidden) SDL_ShowWindow(window);
  SDL_GL_MakeCurrent(window, glContext);
  loadGlEntryPoints();                // the table belongs to this context
  SDL_GL_SetSwapInterval(1);          // vsync where the driver offers it; no error otherwise
  SDL_ShowCursor(SDL_DISABLE);
  watchDisplayAgain();
  return 1;
}

void closeWindow() {
  if (glContext) SDL_GL_DeleteContext(glContext);
  forgetGlEntryPoints();              // they were this context's
  // A fullscreen window gives the display its own mode back as it goes.
  if (window) SDL_DestroyWindow(window);
  glContext = nullptr;
  window = nullptr;
  if (videoStarted) SDL_QuitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS);
  videoStarted = 0;
}

void presentWindow() {
#ifdef __EMSCRIPTEN__
  // The browser shows what the canvas holds once the program yields to it.
  if (window) presentToPage();
#else
  if (window) SDL_GL_SwapWindow(window);
#endif
}

void* glProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

// GL 2.0 and OpenGL ES 3.0 made them core; before them, the extension.
int glTexturesOfAnySize() {
  const char* version = (const char*)glGetString(GL_VERSION);
  if (version && std::strncmp(version, "OpenGL ES ", 10) == 0) return version[10] >= '3' && version[10] <= '9';
  return (version && version[0] >= '2' && version[0] <= '9') ||
         glExtensionAvailable("GL_ARB_texture_non_power_of_two");
}

int glExtensionAvailable(const char* name) {
  return window && SDL_GL_ExtensionSupported(name) ? 1 : 0;
}

uint32_t tickCount() { return SDL_GetTicks(); }

#ifdef __EMSCRIPTEN__
// In a page a wait gives the browser its turn.
void sleepMs(uint32_t ms) { emscripten_sleep(ms); }

// The page's own Escape: the browser leaving fullscreen takes the Escape key itself, and
// the page hands that on as a press.
extern "C" EMSCRIPTEN_KEEPALIVE void pageEscapePressed() { escapePressed = 1; }
#else
void sleepMs(uint32_t ms) { SDL_Delay(ms); }
#endif

static void queuePlaybackKey(const SDL_KeyboardEvent& key);

// The one event pump: latches Escape and the close request, queues playback keys.
static void pumpEvents() {
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) escapePressed = 1;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) escapePressed = 1;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) escapePressed = 1;
    if (event.type == SDL_KEYDOWN) queuePlaybackKey(event.key);
  }
}

int escapeKeyState() {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return 0;
  pumpEvents();
  const Uint8* keys = SDL_GetKeyboardState(nullptr);
  int state = escapePressed || (keys && keys[SDL_SCANCODE_ESCAPE]);
  escapePressed = 0;
  return state;
}

// Playback keys: presses queued by the event pump while enabled, oldest first. A full queue
// drops the newest press.
static int playbackKeysOn;
static int keyQueue[32];
static int keyHead, keyCount;

static void queuePlaybackKey(const SDL_KeyboardEvent& key) {
  if (!playbackKeysOn || key.repeat) return;
  int code = PlaybackKeyNone;
  switch (key.keysym.sym) {
    case SDLK_SPACE: code = PlaybackKeySpace; break;
    case SDLK_RIGHT: code = PlaybackKeyRight; break;
    case SDLK_LEFT: code = PlaybackKeyLeft; break;
    case SDLK_PAGEDOWN: code = PlaybackKeyPageDown; break;
    case SDLK_PAGEUP: code = PlaybackKeyPageUp; break;
    case SDLK_HOME: code = PlaybackKeyHome; break;
    default: return;
  }
  if (keyCount == 32) return;
  keyQueue[(keyHead + keyCount++) % 32] = code;
}

void enablePlaybackKeys(int on) {
  playbackKeysOn = on ? 1 : 0;
  keyHead = keyCount = 0;
}

int nextPlaybackKey() {
  if (keyCount == 0 && SDL_WasInit(SDL_INIT_EVENTS)) pumpEvents();
  if (keyCount == 0) return PlaybackKeyNone;
  int code = keyQueue[keyHead];
  keyHead = (keyHead + 1) % 32;
  --keyCount;
  return code;
}
