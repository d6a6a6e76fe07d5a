// PNG files, the video pipe and the contact sheet of the capture tool.
#include "frame_output.h"

#include "png_writer.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <cstdlib>
#include <cstring>
#include <string>

void flipRows(const unsigned char* bottomUp, unsigned char* upright, int width, int height) {
  size_t row = (size_t)width * 3;
  for (int y = 0; y < height; ++y)
    std::memcpy(upright + (size_t)y * row, bottomUp + (size_t)(height - 1 - y) * row, row);
}

bool commandExists(const char* name) {
  std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
  return std::system(command.c_str()) == 0;
}

static std::string shellQuote(const std::string& text) {
  std::string quoted = "'";
  for (char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
  return quoted + "'";
}

FILE* openVideoPipe(const std::string& path, int fps, const std::string& audioPath, int audioOffsetMs,
                    bool fastEncoder) {
  std::string command = "ffmpeg -loglevel error -y -f rawvideo -pix_fmt rgb24 -s " +
                        std::to_string(FRAME_WIDTH) + "x" + std::to_string(FRAME_HEIGHT) +
                        " -framerate " + std::to_string(fps) + " -i -";
  if (!audioPath.empty()) {
    char offset[32];
    std::snprintf(offset, sizeof offset, "%.3f", audioOffsetMs / 1000.0);
    command += std::string(" -ss ") + offset + " -i " + shellQuote(audioPath) +
               " -map 0:v:0 -map 1:a:0 -c:a aac -b:a 192k -shortest";
  }
  command += std::string(" -c:v libx264 -preset ") + (fastEncoder ? "ultrafast" : "veryfast") + " -crf 18 -pix_fmt yuv420p -r " + std::to_string(fps) +
             " -movflags +faststart " + shellQuote(path);
  return popen(command.c_str(), "w");
}

bool closeVideoPipe(FILE* pipe) { return pipe && pclose(pipe) == 0; }

// Box-filters an upright frame down by an integer factor into `out` at (x0, y0).
static void shrinkInto(const unsigned char* frame, int factor, unsigned char* out, int outWidth,
                       int x0, int y0) {
  int w = FRAME_WIDTH / factor, h = FRAME_HEIGHT / factor;
  for (int y = 0; y < h; ++y)
    for (int x = 0; x < w; ++x)
      for (int c = 0; c < 3; ++c) {
        int sum = 0;
        for (int dy = 0; dy < factor; ++dy)
          for (int dx = 0; dx < factor; ++dx)
            sum += frame[((size_t)(y * factor + dy) * FRAME_WIDTH + x * factor + dx) * 3 + c];
        out[((size_t)(y0 + y) * outWidth + x0 + x) * 3 + c] = (unsigned char)(sum / (factor * factor));
      }
}

// Draws white text with a dark shadow at (x, baseline) into an RGB picture.
static void drawLabel(FT_Face face, const std::string& text, unsigned char* out, int width,
                      int height, int x, int baseline) {
  for (int pass = 0; pass < 2; ++pass) {
    int penX = x + (pass == 0 ? 1 : 0), penY = baseline + (pass == 0 ? 1 : 0);
    unsigned char shade = pass == 0 ? 0 : 255;
    for (unsigned char ch : text) {
      if (FT_Load_Char(face, ch, FT_LOAD_RENDER)) continue;
      FT_GlyphSlot g = face->glyph;
      for (unsigned row = 0; row < g->bitmap.rows; ++row)
        for (unsigned col = 0; col < g->bitmap.width; ++col) {
          int px = penX + g->bitmap_left + (int)col, py = penY - g->bitmap_top + (int)row;
          if (px < 0 || py < 0 || px >= width || py >= height) continue;
          int a = g->bitmap.buffer[row * g->bitmap.pitch + col];
          unsigned char* p = out + ((size_t)py * width + px) * 3;
          for (int c = 0; c < 3; ++c) p[c] = (unsigned char)((p[c] * (255 - a) + shade * a) / 255);
        }
      penX += (int)(g->advance.x >> 6);
    }
  }
}

bool writeContactSheet(const std::string& path, const std::vector<SheetCell>& cells, int columns) {
  const int factor = 4, gap = 8;
  const int cellW = FRAME_WIDTH / factor, cellH = FRAME_HEIGHT / factor;
  int rows = ((int)cells.size() + columns - 1) / columns;
  int width = columns * cellW + (columns + 1) * gap, height = rows * cellH + (rows + 1) * gap;
  std::vector<unsigned char> sheet((size_t)width * height * 3, 24);

  FT_Library library = nullptr;
  FT_Face face = nullptr;
  bool fonts = !FT_Init_FreeType(&library) &&
               !FT_New_Face(library, DEJAVU_FONT_DIR "/DejaVuSans-Bold.ttf", 0, &face) &&
               !FT_Set_Pixel_Sizes(face, 0, 15);
  for (size_t i = 0; i < cells.size(); ++i) {
    int x0 = gap + (int)(i % columns) * (cellW + gap), y0 = gap + (int)(i / columns) * (cellH + gap);
    shrinkInto(cells[i].rgb.data(), factor, sheet.data(), width, x0, y0);
    if (fonts) drawLabel(face, cells[i].label, sheet.data(), width, height, x0 + 6, y0 + 20);
  }
  if (face) FT_Done_Face(face);
  if (library) FT_Done_FreeType(library);
  return writeRgbPng(path, sheet.data(), width, height);
}
