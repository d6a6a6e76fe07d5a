// Picture painting toolkit of make-data: float RGBA canvases (row 0 = top = v 0), blending,
// soft shapes, tileable value noise, text masks from FreeType, distance fields for outlines,
// sphere-map painting and the .raw / .png writers. Everything is deterministic: no clock,
// no global random state, fixed seeds passed in by the caller.
#pragma once
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

struct Rgba {
  float r, g, b, a;
};

struct Picture {
  int width = 0, height = 0;
  std::vector<Rgba> px;   // width * height, row-major, row 0 first in the file
};

// A coverage mask (0..1) the size of a picture; text and strokes are painted through it.
struct Mask {
  int width = 0, height = 0;
  std::vector<float> m;
};

// ---- Colours ----------------------------------------------------------------------------
Rgba rgb8(int r, int g, int b, int a = 255);            // from 0..255 bytes
Rgba mixRgba(Rgba a, Rgba b, float t);                  // a + (b - a) t, all four channels
Rgba scaleRgb(Rgba c, float k);                         // rgb times k, alpha kept
Rgba hsv(float h, float s, float v, float a = 1.0f);    // hue in turns (0..1)
float clamp01f(float x);
float smoothstepf(float e0, float e1, float x);

// ---- Canvas -------------------------------------------------------------------------------
Picture makePicture(int width, int height, Rgba fill);
Rgba& pixelAt(Picture& p, int x, int y);
Rgba pixelAt(const Picture& p, int x, int y);
Rgba sampleWrapped(const Picture& p, float x, float y);  // bilinear, coordinates wrap
void blendOver(Picture& p, int x, int y, Rgba c, float coverage);   // source-over
void blendAdd(Picture& p, int x, int y, Rgba c, float coverage);    // rgb += c.rgb * a * coverage
void shadePixels(Picture& p, const std::function<Rgba(float u, float v, Rgba old)>& shade);

// ---- Noise (lattice hash, no state) -------------------------------------------------------
uint32_t hash32(uint32_t x);
float hashUnit(int x, int y, uint32_t seed);            // 0..1
// Value noise over a lattice of periodX x periodY cells (tileable); x, y in cell units.
float valueNoise(float x, float y, int periodX, int periodY, uint32_t seed);
// Sum of octaves, each doubling frequency and period, halving weight; result about 0..1.
float fbm(float x, float y, int periodX, int periodY, int octaves, uint32_t seed);
// Deterministic sequence for placing things (splitmix-like).
struct Dice {
  uint64_t state;
};
float roll(Dice& d);                                    // 0..1
float rollRange(Dice& d, float lo, float hi);

// ---- Shapes (antialiased, coordinates in pixels, pixel centres at +0.5) -----------------
void fillDisc(Picture& p, float cx, float cy, float radius, Rgba c, float soft = 1.0f);
void fillRoundRect(Picture& p, float x0, float y0, float x1, float y1, float radius, Rgba c,
                   float soft = 1.0f);
void strokeSegment(Picture& p, float x0, float y0, float x1, float y1, float width, Rgba c,
                   float soft = 1.0f);
float roundRectDistance(float x, float y, float x0, float y0, float x1, float y1, float radius);
// A hair strand: a quadratic curve from root (x0, y0) through (cx, cy) to tip (x1, y1), width
// tapering from w0 to w1, colour from c0 at the root to c1 at the tip.
void strokeStrand(Picture& p, float x0, float y0, float cx, float cy, float x1, float y1,
                  float w0, float w1, Rgba c0, Rgba c1, bool wrapX = false);

// ---- Masks and text -----------------------------------------------------------------------
Mask makeMask(int width, int height);
// Renders text centred on (cx, cy) (the middle of its ink box) with the largest pixel size
// that fits boxW x boxH, at most maxPx. fontFile is a name inside the DejaVu folder.
// Returns false (and leaves the mask untouched) when the font cannot be used.
bool drawTextMask(Mask& mask, const char* fontFile, const std::string& text, float cx, float cy,
                  float boxW, float boxH, float maxPx);
// Width in pixels of text at a given pixel size (advance-based), 0 when the font fails.
float measureText(const char* fontFile, const std::string& text, float px);
// Distance (pixels) from each pixel to the nearest pixel of mask >= 0.5; 0 inside.
std::vector<float> distanceOutside(const Mask& mask);
Mask outlineMask(const Mask& mask, float radius);       // mask grown by radius, soft edge
Mask shiftedMask(const Mask& mask, int dx, int dy);
Mask blurredMask(const Mask& mask, int radius);         // box blur, two passes
void paintMask(Picture& p, const Mask& mask, Rgba c);
void paintMaskShaded(Picture& p, const Mask& mask,
                     const std::function<Rgba(int x, int y)>& colourAt);

// ---- Sphere maps --------------------------------------------------------------------------
// Fills p as GL's sphere-map lookup: pixel (s, t) -> eye-space reflection direction
// (rx, ry, rz); ry > 0 is up (sky), rz > 0 points back at the viewer. Note that t = 0 is the
// first stored row, so the sky half lies in the LOWER half of the stored picture. Outside
// the disc the colour at the rim is repeated.
void paintSphereMap(Picture& p, const std::function<Rgba(float rx, float ry, float rz)>& shade);

// ---- Output -------------------------------------------------------------------------------
std::vector<uint8_t> pictureBytes(const Picture& p);    // RGBA8, rounded and clamped
bool writeRaw(const std::string& path, const Picture& p);
// PNG of the picture; pictures with transparency are shown over a grey checkerboard.
bool writePreviewPng(const std::string& path, const Picture& p);

// ---- The show's pictures (pictures_*.cpp) ----------------------------------------------
struct PictureJob {
  const char* fileName;   // e.g. "white_32x32.raw"
  Picture (*make)();
};
const std::vector<PictureJob>& pictureJobs();            // all 33, in a fixed order

// Screens and lettering (pictures_screens.cpp)
Picture makeLoading();
Picture makeTitre();
Picture makeWords();
Picture makeGreetings();
Picture makeBgGreen();
Picture makeFondShampoo();
Picture makeFondBleuCorner();
Picture makeFondBleuBottom();
Picture makeFondBleuCentreBottom();
Picture makeBorders();
Picture makeWhite();
Picture makeClip();
Picture makeBlueAniso();

// House and hair (pictures_house.cpp)
Picture makeHouseWalls(bool hairy);
Picture makeDoor(bool hairy);
Picture makeFence(bool sprouting);
Picture makeVrillStripe();
Picture makeDarkVrill();
Picture makeMogn();
Picture makeRevitalising();

// Objects and environment maps (pictures_objects.cpp)
Picture makeChrome();
Picture makeChromeGlass();
Picture makeBottleLabel();
Picture makeBottleEnv();
Picture makeBubble();
Picture makeSkinEnv();
Picture makeTele();
Picture makeScreenNoise();
Picture makeRazorHandle();
Picture makeRazorHead();

// Shared names of the show, used by several pictures.
extern const char* const SHOW_TITLE_LINES[2];   // the title, two lines
extern const char* const TAGLINE_WORDS[4];      // the four words of scene 2
extern const char* const BRAND_NAME;            // the shampoo's (fictional) brand
