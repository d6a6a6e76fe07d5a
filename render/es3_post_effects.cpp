// The shader back end's post effects and texture upload: the glow targets, the capture of the
// render queue, the glow chain, the glow overlay and the tinted veil, drawn as the GL 1.x
// passes draw them (screen-pass units over viewports of the picture's size, the same blend
// functions, the current colour they leave); and pictures with mipmaps as GLU makes them.
#include <cstdlib>
#include <cstring>

#include "platform/display.h"
#include "render/es3.h"

void es3CreateGlowTargets() {
  int width = 0, height = 0;
  glowLevelSize(0, &width, &height);
  unsigned char* black = (unsigned char*)std::calloc((size_t)width * height, 3);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  for (int i = 0; i < 8; ++i) {
    glowLevelSize(i, &width, &height);
    glGenTextures(1, &glowTargets[i]);
    es3MarkTexturePicture(glowTargets[i], true);
    glBindTexture(GL_TEXTURE_2D, glowTargets[i]);
    glTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, width, height, 0, GL_RGB, GL_UNSIGNED_BYTE, black);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    // GL_CLAMP's black edge is the fixed stand-in's (clampRows); the texture clamps to its
    // edge rows, which the stand-in then weighs against the border.
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_WRAP_T, GL_CLAMP_TO_EDGE);
  }
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  std::free(black);
  glowTargetsReady = true;
}

// Draws `source` over a width x height corner and copies the corner into `target`.
static void reduceInto(GLuint source, GLuint target, int width, int height) {
  glViewport(0, 0, width, height);
  es3ScreenFractionQuad(0.0f, 0.0f, 1.0f, 1.0f, source);
  glBindTexture(GL_TEXTURE_2D, target);
  glCopyTexImage2D(GL_TEXTURE_2D, 0, GL_RGB, 0, 0, width, height, 0);
}

void es3BuildGlowChain() {
  es3BeginScreenPass();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  es3State.colour = glm::vec4(1.0f);
  GlowChainStep steps[GLOW_CHAIN_MOST_STEPS];
  int count = glowChainSteps(steps);
  for (int i = 0; i < count; ++i)
    reduceInto(glowTargets[steps[i].source], glowTargets[steps[i].target], steps[i].width, steps[i].height);
  glViewport(0, 0, screenWidth(), screenHeight());
  glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
  es3EndScreenPass();
}

void es3DrawGlowLevels(float x0, float y0, float x1, float y1, int32_t alpha, int32_t additive) {
  int32_t a = alpha & 0xFF;
  int32_t first = a / 64;
  es3BeginScreenPass();
  glEnable(GL_BLEND);
  if (additive)
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
  else
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glViewport(0, 0, screenWidth(), screenHeight());
  for (int32_t level = first; level <= 7; ++level) {
    int32_t byte = additive ? a >> 3 : (a * level) / 8;
    es3State.colour = glm::vec4(1.0f, 1.0f, 1.0f, (float)(byte & 0xFF) / 255.0f);
    es3ScreenFractionQuad(x0, y0, x1, y1, glowTargets[level]);
  }
  es3EndScreenPass();
}

void es3DrawTintedQuad(float x0, float y0, float x1, float y1, float r, float g, float b, float a,
                       TextureId texture) {
  es3BeginScreenPass();
  glEnable(GL_BLEND);
  glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
  glViewport(0, 0, screenWidth(), screenHeight());
  es3State.colour = glm::vec4(r, g, b, a);
  es3ScreenFractionQuad(x0, y0, x1, y1, textureName(texture));
  es3State.colour = glm::vec4(1.0f);
  es3EndScreenPass();
}

// ---- Pictures and their mipmaps ------------------------------------------------------------

// GLU's nearest power of two: 3 rounds up to 4, 5 down to 4, 6 up to 8.
static int nearestPower(int value) {
  int power = 1;
  while (value > 1) {
    if (value == 3) return power * 4;
    value >>= 1;
    power *= 2;
  }
  return power;
}

// The picture resampled to width x height by averaging the source area each pixel covers
// (GLU rescales a picture whose sides are not powers of two before it builds the chain).
static unsigned char* rescaled(const unsigned char* pixels, int fromWidth, int fromHeight, int width, int height) {
  unsigned char* out = (unsigned char*)std::malloc((size_t)width * height * 4);
  if (!out) return nullptr;
  for (int y = 0; y < height; ++y) {
    int y0 = y * fromHeight / height, y1 = ((y + 1) * fromHeight + height - 1) / height;
    for (int x = 0; x < width; ++x) {
      int x0 = x * fromWidth / width, x1 = ((x + 1) * fromWidth + width - 1) / width;
      for (int c = 0; c < 4; ++c) {
        int sum = 0, count = 0;
        for (int sy = y0; sy < y1; ++sy)
          for (int sx = x0; sx < x1; ++sx) {
            sum += pixels[((size_t)sy * fromWidth + sx) * 4 + c];
            ++count;
          }
        out[((size_t)y * width + x) * 4 + c] = (unsigned char)((sum + count / 2) / count);
      }
    }
  }
  return out;
}

// One level of the chain from the level above, as GLU halves bytes: each 2 x 2 block's sum
// plus 2, over 4; a side of 1 halves the other side in pairs, their sum over 2.
static void halve(const unsigned char* in, int width, int height, unsigned char* out) {
  int outWidth = width > 1 ? width / 2 : 1, outHeight = height > 1 ? height / 2 : 1;
  for (int y = 0; y < outHeight; ++y)
    for (int x = 0; x < outWidth; ++x)
      for (int c = 0; c < 4; ++c) {
        int value;
        if (width > 1 && height > 1) {
          const unsigned char* p = in + ((size_t)(2 * y) * width + 2 * x) * 4 + c;
          value = (p[0] + p[4] + p[(size_t)width * 4] + p[(size_t)width * 4 + 4] + 2) / 4;
        } else if (width > 1) {
          const unsigned char* p = in + (size_t)(2 * x) * 4 + c;
          value = (p[0] + p[4]) / 2;
        } else {
          const unsigned char* p = in + (size_t)(2 * y) * 4 + c;
          value = (p[0] + p[4]) / 2;
        }
        out[((size_t)y * outWidth + x) * 4 + c] = (unsigned char)value;
      }
}

void es3UploadTexturePicture(const RawImage* image) {
  GLint bound = 0;
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
  es3MarkTexturePicture((GLuint)bound, image->pixels != nullptr);
  if (!image->pixels) return;
  glPixelStorei(GL_UNPACK_ALIGNMENT, 4);
  int width = nearestPower(image->width), height = nearestPower(image->height);
  const unsigned char* level = image->pixels;
  unsigned char* owned = nullptr;
  if (width != image->width || height != image->height) {
    owned = rescaled(image->pixels, image->width, image->height, width, height);
    if (!owned) return;
    level = owned;
  }
  // Level 0, then the chain down to 1 x 1, each level from the one above.
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, level);
  unsigned char* next = (unsigned char*)std::malloc((size_t)(width > 1 ? width / 2 : 1) * (height > 1 ? height / 2 : 1) * 4);
  unsigned char* spare = (unsigned char*)std::malloc((size_t)(width > 1 ? width / 2 : 1) * (height > 1 ? height / 2 : 1) * 4);
  for (int mip = 1; next && spare && (width > 1 || height > 1); ++mip) {
    halve(level, width, height, next);
    width = width > 1 ? width / 2 : 1;
    height = height > 1 ? height / 2 : 1;
    glTexImage2D(GL_TEXTURE_2D, mip, GL_RGBA8, width, height, 0, GL_RGBA, GL_UNSIGNED_BYTE, next);
    level = next;
    unsigned char* swap = spare;
    spare = next;
    next = swap;
  }
  std::free(next);
  std::free(spare);
  std::free(owned);
}
