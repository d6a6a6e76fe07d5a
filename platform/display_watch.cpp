// A display that goes away while the show runs: one line and an exit code of the caller's
// choosing, at once, wherever the process is.
//
// Xlib calls its I/O-error handler when a connection to the X server breaks, and ends the
// process itself should the handler return; its own handler calls exit, whose handlers
// would then talk to the dead connection. This one writes the line and _exits. Two other
// ways the end of the server shows: a write to its socket raises SIGPIPE (ignored here, so
// that the write fails and Xlib's handler runs), and the GL driver, which talks to the
// server through its own requests, can dereference the reply it did not get (SIGSEGV). For
// the last, a connection of this file's own, never read, tells whether the server hung up:
// then the crash is the display's end and gets the same line; otherwise the crash goes on
// as it would have.
//
// SDL shows its message boxes from a child process, which inherits all this: there the
// handlers end the child alone, silently, and the parent learns of it from its own
// connection (see showBox in platform.cpp).
#include "platform/display_watch.h"

#include "platform/platform.h"

#ifdef SHOW_HAS_XLIB
#include <X11/Xlib.h>
#include <poll.h>
#include <signal.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static int watching;                  // exitWhenDisplayGoes was called
static int lostExitCode;
static char lostLine[320];
static pid_t watchProcess;            // the process that writes the line (not a box's child)
static Display* sentinel;             // a connection nobody reads: it sees the server hang up
static int sentinelFd = -1;
static struct sigaction previousSegv, previousBus;

[[noreturn]] static void endForLostDisplay() {
  if (getpid() == watchProcess) {
    ssize_t written = write(STDERR_FILENO, lostLine, std::strlen(lostLine));
    (void)written;
  }
  _exit(lostExitCode);
}

static int connectionBroke(Display*) {
  if (getpid() == watchProcess) std::fflush(stdout);   // the loaders' lines, whole
  endForLostDisplay();
}

static bool serverHungUp() {
  if (sentinelFd < 0) return false;
  pollfd probe{sentinelFd, POLLRDHUP, 0};
  return poll(&probe, 1, 0) > 0 && (probe.revents & (POLLRDHUP | POLLHUP | POLLERR));
}

// A crash: the display's end when the server hung up, else handed back to whatever handled
// it before (the default: the process dies of it), by returning to the faulting instruction.
static void crashed(int number) {
  if (serverHungUp()) endForLostDisplay();
  sigaction(number, number == SIGSEGV ? &previousSegv : &previousBus, nullptr);
  raise(number);                      // for a signal that was sent rather than a fault
}

void exitWhenDisplayGoes(const char* program, int exitCode) {
  const char* display = std::getenv("DISPLAY");
  std::snprintf(lostLine, sizeof lostLine,
                "%s: the display went away (the X server at DISPLAY=%s closed the connection)\n",
                program, display ? display : "");
  lostExitCode = exitCode;
  watchProcess = getpid();
  XSetIOErrorHandler(connectionBroke);
  if (watching) return;
  watching = 1;
  signal(SIGPIPE, SIG_IGN);
  struct sigaction action {};
  action.sa_handler = crashed;
  sigemptyset(&action.sa_mask);
  sigaction(SIGSEGV, &action, &previousSegv);
  sigaction(SIGBUS, &action, &previousBus);
}

void watchDisplayAgain() {
  if (!watching) return;
  XSetIOErrorHandler(connectionBroke);
  // Opened once SDL has its own connection: Xlib is set up by then as SDL wants it.
  static int sentinelTried;
  const char* display = std::getenv("DISPLAY");
  if (!sentinelTried && display && display[0]) {
    sentinelTried = 1;
    sentinel = XOpenDisplay(nullptr);
    sentinelFd = sentinel ? ConnectionNumber(sentinel) : -1;
  }
}

#else

void exitWhenDisplayGoes(const char*, int) {}
void watchDisplayAgain() {}

#endif
