#include <gtest/gtest.h>

#include "render/render.h"

// The show's random patterns depend on this exact sequence, whatever the C library does.
TEST(SharedRandom, SequenceAfterSeeds) {
  gen::srand(0);
  EXPECT_EQ(gen::rand(), 38);
  EXPECT_EQ(gen::rand(), 7719);
  EXPECT_EQ(gen::rand(), 21238);
  EXPECT_EQ(gen::rand(), 2437);
  gen::srand(4);
  const int expected[] = {51, 17945, 27159, 386, 17345};
  for (int value : expected) EXPECT_EQ(gen::rand(), value);
}
