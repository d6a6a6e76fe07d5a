// The operating-system layer under the show, on SDL2: message boxes, the display mode,
// the one window with its GL context, the millisecond clock, the Escape key, GL entry
// points by name and the filling of gl/'s table of them (the window as the show uses it is
// platform/display.h). Nothing above this folder calls SDL directly, except the sound
// layer: audio/music_device.cpp opens SDL's audio device and decodes the stream in its
// callback.
#pragma once
#include <cstdint>

// Message boxes. Without a display they write "caption: text" on one line to stderr.
int askYesNo(const char* caption, const char* text);                // 1 for Yes (Return), 0 for No (Escape)
void showMessageBox(const char* caption, const char* text, int warning); // one OK button; warning icon if non-zero

// The display. startVideo starts SDL's video on the display the environment names: SDL's
// offscreen and dummy drivers only where SDL_VIDEODRIVER asks for them. 1 on success (also
// when already started); 0 when there is no display, with platformError() saying why on
// one line ("DISPLAY is unset", "no X server answers at DISPLAY=:5", ...). openWindow
// starts it when needed.
int startVideo();
// From now on, when the connection to the X server breaks (the server ended, the display
// went away) at any moment, in a message box or a frame: one line on stderr,
// "<program>: the display went away (...)", and the process ends at once with exitCode,
// without exit handlers. Without this call Xlib's own handler stays (its message, exit 1).
// Does nothing in a build without Xlib.
void exitWhenDisplayGoes(const char* program, int exitCode);

// Which picture path the GL context is made for, chosen once at start (before the window
// opens) by the command line's --renderer: the OpenGL 1.x fixed-function path with its ARB
// extensions (a compatibility context, the default), or the shader path on an OpenGL ES 3.0
// context (also WebGL2's) or on a desktop OpenGL 3.3 core context.
enum Renderer { RendererGl1, RendererEs3, RendererCore };
void requestRenderer(Renderer renderer);  // the contexts opened from now on are of this kind
Renderer requestedRenderer();
const char* rendererName(Renderer renderer);              // "gl1", "es3", "core"
int parseRendererName(const char* text, Renderer* renderer);  // 1 for one of those names
// The values --renderer takes, for usage texts and messages: "gl1, es3 or core".
constexpr const char* RENDERER_NAMES = "gl1, es3 or core";

// Display mode and window.
void requestFullscreenMode(int width, int height, int bitsPerPixel); // the next window opens in this mode
int openWindow(int width, int height, int fullscreen);  // window at (0, 0), no decorations, GL context current; 1 on success
// 1: the windows opened from now on are never shown (a GL context where SDL has no offscreen
// driver: the capture tool on Windows); 0, as at the start: they are shown.
void requestHiddenWindow(int hidden);
int hiddenWindowRequested();        // what requestHiddenWindow last asked for
// Deletes the GL context and the window, which gives a fullscreen display its own mode
// back, and quits SDL's video; a later openWindow starts again.
void closeWindow();
void presentWindow();                                    // swap the buffers of the window
void* glProcAddress(const char* name);                   // extension entry point by name, or null
// Fills the whole GL entry point table (gl/extensions.h) from the current context; openWindow
// does so after making its context current, closeWindow nulls the table.
void loadGlEntryPoints();
int glExtensionAvailable(const char* name);              // 1 if the current context offers the extension
int glTexturesOfAnySize();            // 1 if its textures may have sides that are not powers of two
const char* platformError();                             // the last failure of openWindow, as text

// Time and input.
uint32_t tickCount();                 // milliseconds since an arbitrary start, wrapping at 2^32
void sleepMs(uint32_t ms);
int escapeKeyState();                 // non-zero if Escape is down now or was pressed since the last call,
                                      // or the window was asked to close; pumps window events

// Playback keys. The event pump of escapeKeyState queues these presses (key repeats left
// out) once enabled, so reading them loses neither Escape nor the close request.
enum PlaybackKey {
  PlaybackKeyNone = 0, PlaybackKeySpace, PlaybackKeyRight, PlaybackKeyLeft, PlaybackKeyPageDown,
  PlaybackKeyPageUp, PlaybackKeyHome
};
void enablePlaybackKeys(int on);      // 1: queue presses from now on; either way the queue is emptied
int nextPlaybackKey();                // the oldest queued press, or PlaybackKeyNone; pumps events when empty
