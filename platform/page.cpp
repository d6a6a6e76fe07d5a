// The program's side of the web page (platform/page.h). The page's side is Module.page in
// platform/web/show-page.js; these functions only read and call it. Every wait yields to the
// browser (emscripten_sleep, or the next animation frame), so the page keeps answering
// clicks, keys and downloads while the program waits.
#ifdef __EMSCRIPTEN__
#include "platform/page.h"

#include <emscripten.h>

#include "gl/extensions.h"

EM_JS(int, pageDataState, (), { return Module.page.dataState; });
EM_JS(int, pageStartAnswer, (), { return Module.page.startAnswer; });
EM_JS(void, pageShowEndScreen, (), { Module.page.showEndScreen(); });
EM_JS(int, pagePlayAgainPressed, (), { return Module.page.takePlayAgain() ? 1 : 0; });
EM_JS(int, pageHiddenNow, (), { return document.hidden ? 1 : 0; });
EM_JS(void, pageKeepStill, (const unsigned char* rgb, int width, int height), {
  Module.page.keepStill(HEAPU8.slice(rgb, rgb + width * height * 3), width, height);
});
EM_JS(void, pageKeepBench, (const char* json), { Module.page.keepBench(UTF8ToString(json)); });

EM_JS(void, pageOpenDialog, (const char* caption, const char* text, int yesNo), {
  Module.page.openDialog(caption ? UTF8ToString(caption) : "", text ? UTF8ToString(text) : "", yesNo != 0);
});
EM_JS(int, pageDialogAnswer, (), { return Module.page.dialogAnswer; });
EM_JS(void, pageFramePresented, (), { Module.page.framePresented(); });
// Resumed by the next animation frame, or after 100 ms where none comes (a hidden page).
EM_JS(void, pageWaitForAnimationFrame, (), {
  Asyncify.handleSleep(function(wakeUp) {
    var woken = false;
    function wake() {
      if (!woken) {
        woken = true;
        wakeUp();
      }
    }
    requestAnimationFrame(wake);
    setTimeout(wake, 100);
  });
});

// How often a wait looks at the page: often enough that an answer is taken at once.
constexpr int PAGE_POLL_MS = 30;

int awaitPageStart() {
  for (;;) {
    int data = pageDataState();
    if (data < 0) return -1;
    int answer = pageStartAnswer();
    if (data > 0 && answer >= 0) return answer ? 1 : 0;
    emscripten_sleep(PAGE_POLL_MS);
  }
}

void awaitPlayAgain() {
  pageShowEndScreen();
  while (!pagePlayAgainPressed()) emscripten_sleep(PAGE_POLL_MS);
}

int pageDialog(const char* caption, const char* text, int yesNo) {
  pageOpenDialog(caption, text, yesNo);
  int answer;
  while ((answer = pageDialogAnswer()) < 0) emscripten_sleep(PAGE_POLL_MS);
  return answer;
}

void presentToPage() {
  GLint bound = 0;
  glGetIntegerv(GL_DRAW_FRAMEBUFFER_BINDING, &bound);
  GLboolean scissor = glIsEnabled(GL_SCISSOR_TEST);
  GLboolean mask[4];
  GLfloat clear[4];
  glGetBooleanv(GL_COLOR_WRITEMASK, mask);
  glGetFloatv(GL_COLOR_CLEAR_VALUE, clear);
  if (bound) ext::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, 0);
  glDisable(GL_SCISSOR_TEST);
  glColorMask(GL_FALSE, GL_FALSE, GL_FALSE, GL_TRUE);
  glClearColor(0, 0, 0, 1);
  glClear(GL_COLOR_BUFFER_BIT);
  glClearColor(clear[0], clear[1], clear[2], clear[3]);
  glColorMask(mask[0], mask[1], mask[2], mask[3]);
  if (scissor) glEnable(GL_SCISSOR_TEST);
  if (bound) ext::glBindFramebuffer(GL_DRAW_FRAMEBUFFER, bound);
  pageFramePresented();
  pageWaitForAnimationFrame();
}

int pageHidden() { return pageHiddenNow(); }

void pageStill(const unsigned char* rgb, int width, int height) { pageKeepStill(rgb, width, height); }

void pageBenchResult(const char* json) { pageKeepBench(json); }

#endif
