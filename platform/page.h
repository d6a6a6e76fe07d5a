// The show in a web page: what the page around the canvas (platform/web/show-page.js) does
// for the program. Built only for the browser (Emscripten); the program waits by yielding to
// the browser, never by blocking it, so the page stays live while it waits.
#pragma once
#ifdef __EMSCRIPTEN__

// Waits until the page has written the data set into data/ and has the answer to its start
// question "Fullscreen?" (asked over the loading picture while the data downloads; the page
// itself makes the page fullscreen, inside the click the browser requires). 1 for Yes, 0 for
// No, -1 when the data set could not be had: the page then says why in one sentence.
int awaitPageStart();

// A message box as an element of the page: the caption, the text (null for none) and "OK",
// or "Yes" and "No" when yesNo is 1 (Return and Escape answer them). Waits for the answer:
// 1 for Yes, 0 for No or OK.
int pageDialog(const char* caption, const char* text, int yesNo);

// Presents the frame drawn into the canvas: its alpha set to 1 (the page composites the
// canvas with what lies behind it), then a wait for the browser's next animation frame, in
// which the browser shows it. A hidden page has no animation frames: then a timer's wait.
void presentToPage();

// The end screen, at the show's end or on Escape: waits until "Play again" is pressed.
void awaitPlayAgain();

// 1 while the page is hidden (its tab in the background, the window minimised).
int pageHidden();

// A still drawn for the page's still mode: width x height RGB, bottom row first, as
// readFrame gives it; the page keeps a copy.
void pageStill(const unsigned char* rgb, int width, int height);

// One line of figures for the page's benchmark mode (JSON text), kept by the page.
void pageBenchResult(const char* json);

#endif
