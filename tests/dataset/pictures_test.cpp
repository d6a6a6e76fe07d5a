// What the show's pictures must hold for the way the show draws them: transparency where
// pictures are blended, exact colours where they are multiplied or drawn unblended, the
// lookup table's terms where the shader reads them, light where the backgrounds brighten.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "dataset_support.h"

namespace {

#define PICTURE(var, file)                                        \
  std::string why_;                                               \
  const std::string data_ = generatedDataSet(&why_);              \
  ASSERT_FALSE(data_.empty()) << why_;                            \
  const RawPicture var = readPicture(data_, pictureEntry(file));  \
  ASSERT_GT(var.width, 0) << file << " missing or of the wrong size"

// Mean of (r + g + b) / 3 over a rectangle given in fractions of the picture.
double meanLevel(const RawPicture& p, double x0, double y0, double x1, double y1) {
  double sum = 0;
  int n = 0;
  for (int y = static_cast<int>(y0 * p.height); y < static_cast<int>(y1 * p.height); ++y)
    for (int x = static_cast<int>(x0 * p.width); x < static_cast<int>(x1 * p.width); ++x) {
      const uint8_t* c = p.at(x, y);
      sum += (c[0] + c[1] + c[2]) / 3.0;
      ++n;
    }
  return n ? sum / n : 0;
}

}  // namespace

TEST(Pictures, OpaqueWhereTheShowDrawsThemUnblended) {
  std::string why;
  const std::string data = generatedDataSet(&why);
  ASSERT_FALSE(data.empty()) << why;
  // Only these are blended by alpha (or drawn on a matching background), and the shader's
  // lookup keeps a term in its alpha; all others must be opaque, or mipmaps and blends would
  // pick up hidden colours.
  const std::vector<std::string> translucent = {"titre_1024x512.raw", "words_512x512.raw",
                                                "effetrevitalisant_256x256.raw", "clip_4x4.raw",
                                                "blue_aniso_64x64.raw"};
  for (const PictureEntry& e : INVENTORY_PICTURES) {
    if (std::find(translucent.begin(), translucent.end(), e.name) != translucent.end()) continue;
    RawPicture p = readPicture(data, e);
    ASSERT_GT(p.width, 0) << e.name;
    int seeThrough = 0;
    for (size_t i = 3; i < p.rgba.size(); i += 4) seeThrough += p.rgba[i] != 255;
    EXPECT_EQ(seeThrough, 0) << e.name;
  }
}

TEST(Pictures, PlainWhiteAndTheClipColour) {
  PICTURE(white, "white_32x32.raw");
  EXPECT_TRUE(std::all_of(white.rgba.begin(), white.rgba.end(), [](uint8_t b) { return b == 255; }));
  const RawPicture clip = readPicture(data_, pictureEntry("clip_4x4.raw"));
  ASSERT_EQ(clip.width, 4);
  for (int i = 0; i < 16; ++i) {
    EXPECT_EQ(std::vector<uint8_t>(clip.rgba.begin() + i * 4, clip.rgba.begin() + i * 4 + 4),
              std::vector<uint8_t>(clip.rgba.begin(), clip.rgba.begin() + 4)) << "not uniform";
  }
  EXPECT_NEAR(clip.rgba[3], 128, 16) << "the guard should be half see-through";
}

TEST(Pictures, BorderFrameLeavesTheMiddleUntouched) {
  PICTURE(frame, "bords2_512x512.raw");
  // Multiplied over every frame: the inner 70 % must be exactly white, the corners dark and
  // the edges' middles darker than the inside.
  int notWhite = 0;
  for (int y = static_cast<int>(0.15 * 512); y < static_cast<int>(0.85 * 512); ++y)
    for (int x = static_cast<int>(0.15 * 512); x < static_cast<int>(0.85 * 512); ++x) {
      const uint8_t* c = frame.at(x, y);
      notWhite += c[0] != 255 || c[1] != 255 || c[2] != 255;
    }
  EXPECT_EQ(notWhite, 0);
  for (auto [x, y] : {std::pair{0, 0}, {511, 0}, {0, 511}, {511, 511}}) EXPECT_LT(frame.at(x, y)[0], 80) << x << "," << y;
  for (auto [x, y] : {std::pair{256, 0}, {256, 511}, {0, 256}, {511, 256}}) EXPECT_LT(frame.at(x, y)[0], 200) << x << "," << y;
}

TEST(Pictures, TitleIsBrightLetteringOnNothing) {
  PICTURE(title, "titre_1024x512.raw");
  int edgeAlpha = 0;
  for (int x = 0; x < 1024; ++x) edgeAlpha += title.at(x, 0)[3] + title.at(x, 511)[3];
  for (int y = 0; y < 512; ++y) edgeAlpha += title.at(0, y)[3] + title.at(1023, y)[3];
  EXPECT_EQ(edgeAlpha, 0) << "the title must be transparent around the letters";
  long opaque = 0, bright = 0, clear = 0;
  for (size_t i = 0; i < title.rgba.size(); i += 4) {
    if (title.rgba[i + 3] == 255) {
      ++opaque;
      // The letters' fill must outlast the frame's halving veil.
      bright += std::max({title.rgba[i], title.rgba[i + 1], title.rgba[i + 2]}) >= 200;
    }
    clear += title.rgba[i + 3] == 0;
  }
  long total = 1024 * 512;
  EXPECT_GT(opaque, total / 10);
  EXPECT_GT(clear, total / 3);
  EXPECT_GT(bright, opaque / 3);
}

TEST(Pictures, EachWordFillsItsOwnBandOverTheWordsBackground) {
  PICTURE(words, "words_512x512.raw");
  // Drawn unblended on the clear colour (0, 254, 254): hidden texels must carry exactly that
  // colour, and no word may reach the rows where the bands meet.
  int wrongHidden = 0;
  for (size_t i = 0; i < words.rgba.size(); i += 4)
    if (words.rgba[i + 3] == 0)
      wrongHidden += words.rgba[i] != 0 || words.rgba[i + 1] != 254 || words.rgba[i + 2] != 254;
  EXPECT_EQ(wrongHidden, 0);
  for (int k = 0; k < 4; ++k) {
    int lettering = 0, atEdges = 0, leftRight = 0;
    for (int y = 128 * k; y < 128 * (k + 1); ++y) {
      int inBand = y - 128 * k;
      for (int x = 0; x < 512; ++x) {
        uint8_t a = words.at(x, y)[3];
        if (a == 255) ++lettering;
        if ((inBand < 3 || inBand >= 125) && a != 0) ++atEdges;
        if ((x < 3 || x >= 509) && a != 0) ++leftRight;
      }
    }
    EXPECT_GT(lettering, 512 * 128 / 10) << "word " << k << " is missing or tiny";
    EXPECT_EQ(atEdges, 0) << "word " << k << " touches its band's edge";
    EXPECT_EQ(leftRight, 0) << "word " << k << " touches the picture's side";
  }
}

TEST(Pictures, GreetingsRunDarkOnWhiteAlongTheWholeRibbon) {
  PICTURE(ribbon, "grtz_4096x64.raw");
  long whiteish = 0;
  for (size_t i = 0; i < ribbon.rgba.size(); i += 4) whiteish += ribbon.rgba[i] >= 240 && ribbon.rgba[i + 2] >= 240;
  EXPECT_GT(whiteish, 4096L * 64 * 6 / 10) << "multiplied, the ribbon must be mostly white";
  // Text in every eighth of the ribbon: it is read as the ribbon unrolls.
  for (int part = 0; part < 8; ++part) {
    int ink = 0;
    for (int y = 4; y < 60; ++y)
      for (int x = part * 512; x < (part + 1) * 512; ++x) ink += ribbon.at(x, y)[0] < 100;
    EXPECT_GT(ink, 800) << "no lettering in part " << part;
  }
}

TEST(Pictures, LookupTableHoldsTheHairLightTerms) {
  PICTURE(lut, "blue_aniso_64x64.raw");
  // Column i is T.L = -1 + 2i/63, row j is T.V. Alpha: sin(T, L), largest across the light.
  EXPECT_GE(lut.at(31, 10)[3], 250);
  EXPECT_LE(lut.at(0, 10)[3], 40);
  EXPECT_LE(lut.at(63, 10)[3], 40);
  EXPECT_GT(lut.at(16, 10)[3], lut.at(4, 10)[3]);
  // The highlight lies where T.V = -T.L (the mirror cone) and is blue.
  for (int i : {16, 31, 47}) {
    const uint8_t* peak = lut.at(i, 63 - i);
    EXPECT_GT(peak[2], 150) << i;
    EXPECT_GT(peak[2], peak[0] + 30) << i;
    EXPECT_GE(peak[1], peak[0]) << i;
  }
  // Far from the cone there is no highlight.
  const uint8_t* off = lut.at(58, 58);
  EXPECT_LT(off[0] + off[1] + off[2], 10);
}

TEST(Pictures, BlueBackgroundsBrightenWhereTheyShould) {
  PICTURE(corner, "fond_bleu_coini-inf-droit_512x512.raw");
  EXPECT_GT(meanLevel(corner, 0.75, 0.75, 1, 1), meanLevel(corner, 0, 0, 0.25, 0.25) + 60);
  EXPECT_GT(meanLevel(corner, 0.75, 0.75, 1, 1), meanLevel(corner, 0, 0.75, 0.25, 1) + 20);
  const RawPicture bottom = readPicture(data_, pictureEntry("fond_bleu_bas_512x512.raw"));
  ASSERT_GT(bottom.width, 0);
  EXPECT_GT(meanLevel(bottom, 0, 0.85, 1, 1), meanLevel(bottom, 0, 0, 1, 0.15) + 50);
  const RawPicture centre = readPicture(data_, pictureEntry("fond_bleucentrebas_512x512.raw"));
  ASSERT_GT(centre.width, 0);
  EXPECT_GT(meanLevel(centre, 0.4, 0.85, 0.6, 1), meanLevel(centre, 0, 0.85, 0.1, 1) + 40);
  EXPECT_GT(meanLevel(centre, 0.4, 0.85, 0.6, 1), meanLevel(centre, 0.4, 0, 0.6, 0.15) + 60);
  for (const RawPicture* p : {&corner, &bottom, &centre}) {
    const uint8_t* c = p->at(256, 256);
    EXPECT_GT(c[2], c[0] + 40) << "not blue";
  }
}

TEST(Pictures, HairRunsFromDarkRootsToLightTipsAndWrapsAcross) {
  std::string why;
  const std::string data = generatedDataSet(&why);
  ASSERT_FALSE(data.empty()) << why;
  for (const char* name : {"vrillstripe_256x64.raw", "darkvrilluv_256x256.raw", "mogn_64x64.raw"}) {
    SCOPED_TRACE(name);
    RawPicture p = readPicture(data, pictureEntry(name));
    ASSERT_GT(p.width, 0);
    EXPECT_GT(meanLevel(p, 0, 0.85, 1, 1), meanLevel(p, 0, 0, 1, 0.15) + 40);
    // Strands across u: neighbouring columns differ (there are strands at all), and the last
    // column meets the first no worse than neighbours meet (no seam where u wraps).
    double neighbours = 0, wrap = 0;
    for (int y = 0; y < p.height; ++y) {
      for (int x = 0; x + 1 < p.width; ++x) neighbours += std::abs(p.at(x, y)[0] - p.at(x + 1, y)[0]);
      wrap += std::abs(p.at(p.width - 1, y)[0] - p.at(0, y)[0]);
    }
    neighbours /= (p.width - 1.0) * p.height;
    wrap /= p.height;
    EXPECT_GT(neighbours, 1.0);
    EXPECT_LT(wrap, neighbours * 2.5 + 1.0);
  }
}

TEST(Pictures, SphereMapsHaveSkyGroundAndHighlights) {
  std::string why;
  const std::string data = generatedDataSet(&why);
  ASSERT_FALSE(data.empty()) << why;
  // GL's sphere map puts the upward reflections at large t, which is the lower half of the
  // stored picture: the sky (blue) is there, the ground above it.
  for (const char* name : {"chrm_256x256.raw", "chrm2_256x256.raw"}) {
    SCOPED_TRACE(name);
    RawPicture p = readPicture(data, pictureEntry(name));
    ASSERT_GT(p.width, 0);
    const uint8_t* sky = p.at(128, 200);
    const uint8_t* ground = p.at(128, 56);
    EXPECT_GT(sky[2], sky[0] + 30);
    EXPECT_GT(sky[2], ground[2] + 40);
    int highlights = 0;
    for (size_t i = 0; i < p.rgba.size(); i += 4) highlights += p.rgba[i] >= 250 && p.rgba[i + 1] >= 250 && p.rgba[i + 2] >= 250;
    EXPECT_GT(highlights, 50);
  }
  // Added over the bottle: mostly black so that it only brightens the highlights.
  const RawPicture env = readPicture(data, pictureEntry("bottleEnv_128x128.raw"));
  ASSERT_GT(env.width, 0);
  int dark = 0, shiny = 0;
  for (size_t i = 0; i < env.rgba.size(); i += 4) {
    int level = std::max({env.rgba[i], env.rgba[i + 1], env.rgba[i + 2]});
    dark += level < 24;
    shiny += level > 230;
  }
  EXPECT_GT(dark, 128 * 128 / 2);
  EXPECT_GT(shiny, 20);
  // Skin is warm everywhere.
  const RawPicture skin = readPicture(data, pictureEntry("skinEnv_128x128.raw"));
  ASSERT_GT(skin.width, 0);
  for (auto [x, y] : {std::pair{64, 64}, {10, 64}, {64, 118}}) {
    const uint8_t* c = skin.at(x, y);
    EXPECT_GT(c[0], c[2] + 30) << x << "," << y;
  }
}
