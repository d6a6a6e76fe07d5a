// SDL2 implementation of the operating-system layer.
#include "platform/platform.h"

#include <SDL2/SDL.h>
#include <cstdio>
#include <cstring>

static SDL_Window* window;
static SDL_GLContext glContext;
static int fullscreenWidth, fullscreenHeight, fullscreenBits;
static int escapePressed;             // latched by event pumping, cleared by escapeKeyState
static char lastError[512];

static void noteError(const char* what) {
  std::snprintf(lastError, sizeof lastError, "%s: %s", what, SDL_GetError());
}

const char* platformError() { return lastError; }

// Shows a box with the given buttons; returns the id of the button pressed, or -1 when no
// box could be shown (no display, no message box back end).
static int showBox(const char* caption, const char* text, Uint32 flags,
                   const SDL_MessageBoxButtonData* buttons, int buttonCount) {
  SDL_MessageBoxData data{};
  data.flags = flags;
  data.window = nullptr;
  data.title = caption ? caption : "";
  data.message = text ? text : "";
  data.numbuttons = buttonCount;
  data.buttons = buttons;
  int pressed = -1;
  if (SDL_ShowMessageBox(&data, &pressed) < 0) return -1;
  return pressed;
}

int askYesNo(const char* caption, const char* text) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "No"},
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT, 1, "Yes"},
  };
  int pressed = showBox(caption, text, SDL_MESSAGEBOX_INFORMATION, buttons, 2);
  if (pressed < 0) {
    std::fprintf(stderr, "%s%s%s (no message box could be shown; answering No)\n",
                 caption ? caption : "", text ? " " : "", text ? text : "");
    return 0;
  }
  return pressed == 1;
}

void showMessageBox(const char* caption, const char* text, int warning) {
  const SDL_MessageBoxButtonData buttons[] = {
      {SDL_MESSAGEBOX_BUTTON_RETURNKEY_DEFAULT | SDL_MESSAGEBOX_BUTTON_ESCAPEKEY_DEFAULT, 0, "OK"},
  };
  Uint32 flags = warning ? SDL_MESSAGEBOX_WARNING : SDL_MESSAGEBOX_INFORMATION;
  if (showBox(caption, text, flags, buttons, 1) < 0)
    std::fprintf(stderr, "%s: %s\n", caption ? caption : "", text ? text : "");
}

void requestFullscreenMode(int width, int height, int bitsPerPixel) {
  fullscreenWidth = width;
  fullscreenHeight = height;
  fullscreenBits = bitsPerPixel;
}

static int createContext() {
  SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
  SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
  SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
  SDL_GL_SetAttribute(SDL_GL_ALPHA_SIZE, 8);
  return 1;
}

int openWindow(int width, int height, int fullscreen) {
  if (SDL_InitSubSystem(SDL_INIT_VIDEO | SDL_INIT_EVENTS) < 0) {
    noteError("no video display");
    return 0;
  }
  createContext();
  Uint32 flags = SDL_WINDOW_OPENGL | SDL_WINDOW_BORDERLESS | SDL_WINDOW_SHOWN;
  if (fullscreen) flags |= SDL_WINDOW_FULLSCREEN;
  // A 32-bit depth buffer where the driver has one, else 24 bits.
  const int depths[] = {32, 24};
  for (int depth : depths) {
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, depth);
    window = SDL_CreateWindow("", 0, 0, width, height, flags);
    if (!window) continue;
    if (fullscreen && fullscreenWidth > 0) {
      SDL_DisplayMode mode{};
      mode.format = fullscreenBits == 32 ? SDL_PIXELFORMAT_RGB888 : 0;
      mode.w = fullscreenWidth;
      mode.h = fullscreenHeight;
      SDL_DisplayMode closest{};
      if (SDL_GetClosestDisplayMode(0, &mode, &closest)) SDL_SetWindowDisplayMode(window, &closest);
    }
    glContext = SDL_GL_CreateContext(window);
    if (glContext) break;
    noteError("no OpenGL context");
    SDL_DestroyWindow(window);
    window = nullptr;
  }
  if (!window) {
    if (!lastError[0]) noteError("no window");
    return 0;
  }
  SDL_GL_MakeCurrent(window, glContext);
  SDL_GL_SetSwapInterval(1);          // vsync where the driver offers it; no error otherwise
  SDL_ShowCursor(SDL_DISABLE);
  return 1;
}

void presentWindow() {
  if (window) SDL_GL_SwapWindow(window);
}

void* glProcAddress(const char* name) { return SDL_GL_GetProcAddress(name); }

uint32_t tickCount() { return SDL_GetTicks(); }

void sleepMs(uint32_t ms) { SDL_Delay(ms); }

int escapeKeyState() {
  if (!SDL_WasInit(SDL_INIT_EVENTS)) return 0;
  SDL_Event event;
  while (SDL_PollEvent(&event)) {
    if (event.type == SDL_QUIT) escapePressed = 1;
    if (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE) escapePressed = 1;
    if (event.type == SDL_WINDOWEVENT && event.window.event == SDL_WINDOWEVENT_CLOSE) escapePressed = 1;
  }
  const Uint8* keys = SDL_GetKeyboardState(nullptr);
  int state = escapePressed || (keys && keys[SDL_SCANCODE_ESCAPE]);
  escapePressed = 0;
  return state;
}
