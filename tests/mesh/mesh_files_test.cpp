// The .bof/.baf loaders: the example files, token layout freedom, the vertex-number check,
// the messages, and every way a file can be malformed.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh_test_util.h"
#include "support/gl_context.h"

static const char SQUARE_BOF[] =
    "mesh\n4\n2\n0.0 0.0 0.0\n"
    "0 -1.0 0.0 -1.0 0.0 0.0\n"
    "1 1.0 0.0 -1.0 1.0 0.0\n"
    "2 1.0 0.0 1.0 1.0 1.0\n"
    "3 -1.0 0.0 1.0 0.0 1.0\n"
    "0 0 1 2\n"
    "1 0 2 3\n";

static const char TRIANGLE_BAF[] =
    "anim\n3\n1\n2\n0 0 0\n"
    "0 0.0 0.0 0.0 0.0 0.0\n"
    "1 1.0 0.0 0.0 1.0 0.0\n"
    "2 0.0 1.0 0.0 0.0 1.0\n"
    "0 0.0 0.0 1.0 0.0 0.0\n"
    "1 1.0 0.0 1.0 1.0 0.0\n"
    "2 0.0 1.0 1.0 0.0 1.0\n"
    "0 0 1 2\n";

static int parseText(const std::string& text, Mesh* mesh, bool animated) {
  return animated ? parseAnimatedMesh(text.data(), text.size(), mesh, "test.baf")
                  : parseStaticMesh(text.data(), text.size(), mesh, "test.bof");
}

static void expectSameMesh(const Mesh& a, const Mesh& b, const std::string& label) {
  ASSERT_EQ(a.vertexCount, b.vertexCount) << label;
  ASSERT_EQ(a.triangleCount, b.triangleCount) << label;
  ASSERT_EQ(a.frameCount, b.frameCount) << label;
  size_t vertexBytes = (size_t)(a.frameCount + 1) * a.vertexCount * sizeof(MeshVertex);
  EXPECT_EQ(memcmp(a.vertices, b.vertices, vertexBytes), 0) << label;
  EXPECT_EQ(memcmp(a.triangles, b.triangles, a.triangleCount * sizeof(MeshTriangle)), 0) << label;
}

TEST(MeshFiles, StaticExampleLoadsSquareWithSwappedIndices) {
  Mesh mesh{};
  // Leftovers that a load must reset.
  mesh.position[0] = 5.0f;
  mesh.rotationY = 2.0f;
  mesh.texture = 7;
  mesh.drawSlot = 1;
  std::string text = SQUARE_BOF;
  text.replace(text.find("0.0 0.0 0.0"), 11, "3.0 4.0 5.0");   // the three ignored reals
  ASSERT_EQ(parseText(text, &mesh, false), MeshParsed);
  EXPECT_EQ(mesh.vertexCount, 4);
  EXPECT_EQ(mesh.triangleCount, 2);
  EXPECT_EQ(mesh.frameCount, 1);
  const float expected[4][5] = {
      {-1, 0, -1, 0, 0}, {1, 0, -1, 1, 0}, {1, 0, 1, 1, 1}, {-1, 0, 1, 0, 1}};
  for (int i = 0; i < 4; ++i) {
    const MeshVertex& v = mesh.vertices[i];
    EXPECT_EQ(v.x, expected[i][0]) << i;
    EXPECT_EQ(v.y, expected[i][1]) << i;
    EXPECT_EQ(v.z, expected[i][2]) << i;
    EXPECT_EQ(v.u, expected[i][3]) << i;
    EXPECT_EQ(v.v, expected[i][4]) << i;
  }
  EXPECT_EQ(mesh.triangles[0].i0, 0u);
  EXPECT_EQ(mesh.triangles[0].i1, 2u);
  EXPECT_EQ(mesh.triangles[0].i2, 1u);
  EXPECT_EQ(mesh.triangles[1].i0, 0u);
  EXPECT_EQ(mesh.triangles[1].i1, 3u);
  EXPECT_EQ(mesh.triangles[1].i2, 2u);
  for (float p : mesh.position) EXPECT_EQ(p, 0.0f);
  EXPECT_EQ(mesh.rotationX, 0.0f);
  EXPECT_EQ(mesh.rotationY, 0.0f);
  EXPECT_EQ(mesh.rotationZ, 0.0f);
  EXPECT_EQ(mesh.texture, -1);
  EXPECT_EQ(mesh.drawSlot, 0);
  // The work slot and the fields the file does not carry hold zeros, never stale memory.
  for (int i = 4; i < 8; ++i) EXPECT_EQ(mesh.vertices[i].x, 0.0f);
  EXPECT_EQ(mesh.vertices[0].nx, 0.0f);
  EXPECT_EQ(mesh.vertices[0].reserved[0], 0.0f);
  freeMeshArrays(&mesh);
}

TEST(MeshFiles, AnimatedExampleFillsKeyframeSlots) {
  Mesh mesh{};
  testing::internal::CaptureStdout();
  ASSERT_EQ(parseText(TRIANGLE_BAF, &mesh, true), MeshParsed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_EQ(mesh.vertexCount, 3);
  EXPECT_EQ(mesh.triangleCount, 1);
  EXPECT_EQ(mesh.frameCount, 2);
  for (int i = 0; i < 3; ++i) {
    EXPECT_EQ(mesh.vertices[i].z, 0.0f);
    EXPECT_EQ(mesh.vertices[3 + i].z, 1.0f);
    EXPECT_EQ(mesh.vertices[3 + i].x, mesh.vertices[i].x);
    EXPECT_EQ(mesh.vertices[3 + i].v, mesh.vertices[i].v);
  }
  EXPECT_EQ(mesh.vertices[4].x, 1.0f);
  EXPECT_EQ(mesh.vertices[5].v, 1.0f);
  EXPECT_EQ(mesh.triangles[0].i0, 0u);
  EXPECT_EQ(mesh.triangles[0].i1, 2u);
  EXPECT_EQ(mesh.triangles[0].i2, 1u);
  freeMeshArrays(&mesh);
}

TEST(MeshFiles, TokenLayoutDoesNotMatter) {
  Mesh reference{};
  ASSERT_EQ(parseText(SQUARE_BOF, &reference, false), MeshParsed);
  const std::string variants[] = {
      // everything on one line
      "mesh 4 2 0.0 0.0 0.0 0 -1.0 0.0 -1.0 0.0 0.0 1 1.0 0.0 -1.0 1.0 0.0 "
      "2 1.0 0.0 1.0 1.0 1.0 3 -1.0 0.0 1.0 0.0 1.0 0 0 1 2 1 0 2 3",
      // records split across lines anywhere, tabs, vertical tabs and form feeds, no final newline
      "mesh\t4\n\n2 0.0\n0.0\v0.0 0 -1.0\n0.0 -1.0 0.0\f0.0 1\n1.0 0.0 -1.0 1.0 0.0 2 1.0 0.0\n"
      "1.0 1.0 1.0 3 -1.0 0.0 1.0 0.0 1.0 0\n0 1 2 1 0\n2 3",
      // CR LF line ends
      "mesh\r\n4\r\n2\r\n0.0 0.0 0.0\r\n0 -1.0 0.0 -1.0 0.0 0.0\r\n1 1.0 0.0 -1.0 1.0 0.0\r\n"
      "2 1.0 0.0 1.0 1.0 1.0\r\n3 -1.0 0.0 1.0 0.0 1.0\r\n0 0 1 2\r\n1 0 2 3\r\n",
      // other spellings of the same numbers, and trailing text after the last record
      "mesh +4 0002 0 0 0 0 -1 0 -1 0 0 1 1 0 -1.0e0 1 0 2 +1. 0 1 1.0 10E-1 3 -1 0e5 1 .0 1 "
      "0 0 1 2 1 0 2 3 trailing words",
  };
  for (const std::string& text : variants) {
    Mesh mesh{};
    ASSERT_EQ(parseText(text, &mesh, false), MeshParsed) << text;
    expectSameMesh(mesh, reference, text);
    freeMeshArrays(&mesh);
  }
  freeMeshArrays(&reference);
}

TEST(MeshFiles, RealsAcceptFractionsExponentsAndTinyValues) {
  struct Case {
    const char* token;
    float value;
  } cases[] = {{"-.5", -0.5f},  {"5.", 5.0f},        {"+1.5", 1.5f}, {"1E+2", 100.0f},
               {"-2e-1", -0.2f}, {"1e-60", 0.0f},    {"-0", -0.0f},  {"3.40282e38", 3.40282e38f},
               {"0.1", 0.1f},   {"123456789", 123456789.0f}};
  for (const Case& c : cases) {
    Mesh mesh{};
    std::string text = std::string("h 1 0 0 0 0 0 ") + c.token + " 0 0 0 0";
    ASSERT_EQ(parseText(text, &mesh, false), MeshParsed) << c.token;
    EXPECT_EQ(mesh.vertices[0].x, c.value) << c.token;
    freeMeshArrays(&mesh);
  }
}

TEST(MeshFiles, HeaderWordOfElevenCharactersIsAcceptedTwelveIsNot) {
  Mesh mesh{};
  std::string text = SQUARE_BOF;
  text.replace(0, 4, "abcdefghijk");
  ASSERT_EQ(parseText(text, &mesh, false), MeshParsed);
  EXPECT_EQ(mesh.vertexCount, 4);
  freeMeshArrays(&mesh);

  text = SQUARE_BOF;
  text.replace(0, 4, "abcdefghijkl");
  testing::internal::CaptureStderr();
  EXPECT_EQ(parseText(text, &mesh, false), MeshMalformed);
  std::string err = testing::internal::GetCapturedStderr();
  EXPECT_NE(err.find("test.bof"), std::string::npos) << err;
  EXPECT_NE(err.find("header"), std::string::npos) << err;
  expectEmptyMesh(mesh);
}

TEST(MeshFiles, WrongVertexNumbersSilentInStaticWarnedInAnimated) {
  Mesh mesh{};
  std::string text = SQUARE_BOF;
  text.replace(text.find("\n1 1.0"), 2, "\n9");
  testing::internal::CaptureStdout();
  ASSERT_EQ(parseText(text, &mesh, false), MeshParsed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  freeMeshArrays(&mesh);

  // The second keyframe numbers its vertices 1, 2, 3 instead of 0, 1, 2.
  std::string anim =
      "anim 3 1 2 0 0 0\n"
      "0 0.0 0.0 0.0 0.0 0.0\n1 1.0 0.0 0.0 1.0 0.0\n2 0.0 1.0 0.0 0.0 1.0\n"
      "1 10.0 0.0 1.0 0.0 0.0\n2 11.0 0.0 1.0 1.0 0.0\n3 12.0 1.0 1.0 0.0 1.0\n"
      "0 0 1 2\n";
  testing::internal::CaptureStdout();
  ASSERT_EQ(parseText(anim, &mesh, true), MeshParsed);
  const std::string wtf = "!!!!!!!WTF! i'm not reading what i'm supposed too!";
  EXPECT_EQ(testing::internal::GetCapturedStdout(), wtf + wtf + wtf);
  EXPECT_EQ(mesh.vertices[3].x, 10.0f);
  EXPECT_EQ(mesh.vertices[4].x, 11.0f);
  EXPECT_EQ(mesh.vertices[5].x, 12.0f);
  freeMeshArrays(&mesh);
}

TEST(MeshFiles, MalformedFilesLeaveAnEmptyMeshAndSayWhy) {
  struct Case {
    std::string text;
    bool animated;
    const char* why;                  // a word the message must contain
  };
  const std::string three = " 0 0 0 0 0 0 1 0 0 0 0 0 2 0 0 0 0 0 ";   // vertex records 0..2
  const Case cases[] = {
      {"", false, "ends early"},
      {"   \n\r\n", false, "ends early"},
      {"mesh", false, "ends early"},
      {"mesh 4 2 0 0", false, "ends early"},
      {"mesh 1 1 0 0 0 0 1.0000 2.0000 3.0000 4.0000", false, "ends early"},  // inside a vertex
      {"mesh 1 1 0 0 0 0 1 2 3 4 5 00000 0 0", false, "ends early"},         // inside a triangle
      {"mesh four 2 0 0 0", false, "unsigned"},
      {"mesh -1 0 0 0 0", false, "unsigned"},
      {"mesh 4294967296 0 0 0 0", false, "too large"},
      {"mesh 0x10 0 0 0 0", false, "unsigned"},
      {"mesh 1 0 0 0 0 0 abc 0 0 0 0", false, "real"},
      {"mesh 1 0 0 0 0 0 1.0x 0 0 0 0", false, "real"},
      {"mesh 1 0 0 0 0 0 inf 0 0 0 0", false, "real"},
      {"mesh 1 0 0 0 0 0 nan 0 0 0 0", false, "real"},
      {"mesh 1 0 0 0 0 0 0x1p3 0 0 0 0", false, "real"},
      {"mesh 1 0 0 0 0 0 1e999 0 0 0 0", false, "real"},
      {"mesh 1 0 0 0 0 0 1e 0 0 0 0", false, "real"},
      {"mesh 1 0 0 0 0 0 +-1 0 0 0 0", false, "real"},
      {"mesh 1 0 0 0 0 0 . 0 0 0 0", false, "real"},
      {"mesh 1 0 1,5 0 0 0 0 0 0 0", false, "real"},
      {std::string("mesh 0 0 0 0 0\x01"), false, "real"},
      {"mesh 3 1 0 0 0" + three + "0 0 1 3", false, "index"},
      {"mesh 3 1 0 0 0" + three + "0 3 1 2", false, "index"},
      {"mesh 3 1 0 0 0" + three + "0 4000000000 1 2", false, "index"},
      {"mesh 0 1 0 0 0 0 0 0 0", false, "index"},
      {"anim 3 1 2 0 0 0" + three + three + "0 0 1 3", true, "index"},
      {"mesh 1000000 0 0 0 0 0 0 0 0 0 0", false, "hold"},
      {"mesh 1 100000 0 0 0 0 0 0 0 0 0", false, "hold"},
      {"anim 3 1 0 0 0 0 0 0 1 2", true, "keyframes"},
      {"anim 3 1 1000000000 0 0 0" + three, true, "hold"},
  };
  for (const Case& c : cases) {
    Mesh mesh{};
    mesh.texture = 3;
    testing::internal::CaptureStderr();
    testing::internal::CaptureStdout();
    EXPECT_EQ(parseText(c.text, &mesh, c.animated), MeshMalformed) << c.text;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "") << c.text;
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(c.animated ? "test.baf" : "test.bof"), std::string::npos) << c.text;
    EXPECT_NE(err.find(c.why), std::string::npos) << c.text << " -> " << err;
    EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
    expectEmptyMesh(mesh);
    EXPECT_EQ(mesh.texture, -1);
  }
}

TEST(MeshFiles, CountsTooLargeToAllocateTakeTheMemoryPath) {
  const char* cases[] = {
      "anim 2147483647 0 2147483647 0 0 0",   // (frames + 1) x vertices x 60 bytes overflows
      "mesh 3000000000 0 0 0 0",              // more vertices than the record can count
      "anim 1 0 4294967295 0 0 0",
  };
  for (const char* text : cases) {
    Mesh mesh{};
    bool animated = text[0] == 'a';
    testing::internal::CaptureStdout();
    EXPECT_EQ(parseText(text, &mesh, animated), MeshOutOfMemory) << text;
    EXPECT_EQ(testing::internal::GetCapturedStdout(), "EEEEEEEEEEEK!!!     not nuff mem!!") << text;
    expectEmptyMesh(mesh);
  }
}

TEST(MeshFiles, EmptyButWellFormedMeshParses) {
  Mesh mesh{};
  ASSERT_EQ(parseText("mesh 0 0 0 0 0", &mesh, false), MeshParsed);
  EXPECT_EQ(mesh.frameCount, 1);
  EXPECT_EQ(mesh.vertexCount, 0);
  EXPECT_EQ(mesh.vertices, nullptr);
  EXPECT_EQ(mesh.triangles, nullptr);
}

TEST(MeshFiles, LoadersReadFilesAndReportMissingOnes) {
  std::string bof = scratchPath("square.bof");
  std::string baf = scratchPath("triangle.baf");
  writeTextFile(bof, SQUARE_BOF);
  writeTextFile(baf, TRIANGLE_BAF);
  Mesh square{}, triangle{}, reference{};
  ASSERT_EQ(parseText(SQUARE_BOF, &reference, false), MeshParsed);
  EXPECT_EQ(loadStaticMesh(bof.c_str(), &square), MeshParsed);
  expectSameMesh(square, reference, bof);
  loadStaticMesh(bof.c_str(), &square);       // loading again replaces, nothing leaks
  expectSameMesh(square, reference, bof);
  loadAnimatedMesh(baf.c_str(), &triangle);
  EXPECT_EQ(triangle.frameCount, 2);
  EXPECT_EQ(triangle.vertices[5].z, 1.0f);

  const std::string missing = "EEEEEEEEEEEK!!!     file not found!!";
  Mesh lost{};
  testing::internal::CaptureStdout();
  // The caller learns of the failure (the asset inventory presents a frame after it).
  EXPECT_EQ(loadStaticMesh("data/no such mesh.bof", &lost), MeshFileMissing);
  EXPECT_EQ(loadAnimatedMesh("data/no such mesh.baf", &lost), MeshFileMissing);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), missing + missing);
  expectEmptyMesh(lost);
  EXPECT_EQ(lost.texture, -1);
  // The message reaches stdout's file as it is written, not when the buffer is flushed at exit.
  int ends[2];
  ASSERT_EQ(pipe(ends), 0);
  std::fflush(stdout);
  int saved = dup(1);
  dup2(ends[1], 1);
  loadAnimatedMesh("data/no such mesh.baf", &lost);
  dup2(saved, 1);
  close(saved);
  close(ends[1]);
  char written[64] = {};
  EXPECT_EQ(read(ends[0], written, sizeof written - 1), (ssize_t)missing.size());
  close(ends[0]);
  EXPECT_EQ(std::string(written), missing);

  // A malformed file through the loader: stderr names the path, stdout stays quiet.
  std::string bad = scratchPath("bad.bof");
  writeTextFile(bad, "mesh 3 1 0 0 0 0 0 0 0 0 0 1 0 0 0 0 2 0 0 0 0 0 0 0 1 7");
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  EXPECT_EQ(loadStaticMesh(bad.c_str(), &square), MeshMalformed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "");
  EXPECT_NE(testing::internal::GetCapturedStderr().find(bad), std::string::npos);
  expectEmptyMesh(square);
  destroyMesh(&triangle);
  freeMeshArrays(&reference);
}
