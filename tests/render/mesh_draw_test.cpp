#include <cmath>

#include "render_test_support.h"

namespace {

// Normalised device coordinates of a world point through the matrices drawMesh left behind.
void projectWorldPoint(const float p[3], float ndc[3]) {
  float mv[16], pr[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  glGetFloatv(GL_PROJECTION_MATRIX, pr);
  float eye[4], clip[4];
  for (int r = 0; r < 4; ++r) eye[r] = mv[r] * p[0] + mv[4 + r] * p[1] + mv[8 + r] * p[2] + mv[12 + r];
  for (int r = 0; r < 4; ++r)
    clip[r] = pr[r] * eye[0] + pr[4 + r] * eye[1] + pr[8 + r] * eye[2] + pr[12 + r] * eye[3];
  for (int i = 0; i < 3; ++i) ndc[i] = clip[i] / clip[3];
}

}  // namespace

TEST(MeshDraw, ProjectionAndCameraPoses) {
  RENDER_TEST_SETUP();
  startUpCamera();
  float pr[16];
  glGetFloatv(GL_PROJECTION_MATRIX, pr);
  EXPECT_FLOAT_EQ(pr[0], 1.5f);        // 2 near / (320 near / focal)
  EXPECT_FLOAT_EQ(pr[5], 2.0f);        // 2 near / (240 near / focal)
  GLint mode = 0;
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ(mode, GL_PROJECTION);

  // New projection values without applyProjection leave GL's projection alone.
  setProjection(&camera, 1, 50, 100.0f);
  float after[16];
  glGetFloatv(GL_PROJECTION_MATRIX, after);
  EXPECT_EQ(std::memcmp(pr, after, sizeof pr), 0);
  EXPECT_FLOAT_EQ(camera.zNear, 1.0f);
  EXPECT_FLOAT_EQ(camera.zFar, 50.0f);
  EXPECT_FLOAT_EQ(camera.focal, 100.0f);
  startUpCamera();

  struct Case {
    float pose[6];                     // setCamera arguments
    float world[3];                    // a point that must land at the centre, in front
  };
  const Case cases[] = {
      {{0, 50, -100, 0, 0, 0}, {0, 50, 0}},      // start-up camera: +z points away
      {{0, 0, 0, 90, 0, 0}, {-100, 0, 0}},       // turned about Y
      {{0, 0, 0, 0, 90, 0}, {0, 100, 0}},        // turned about X
      {{10, 20, 30, 0, 0, 90}, {10, 20, 130}},   // about Z: the view axis stays
  };
  Mesh empty{};
  for (const Case& c : cases) {
    setCamera(c.pose[0], c.pose[1], c.pose[2], c.pose[3], c.pose[4], c.pose[5]);
    drawMesh(&empty);
    float ndc[3];
    projectWorldPoint(c.world, ndc);
    SCOPED_TRACE(::testing::Message() << "pose " << c.pose[3] << " " << c.pose[4] << " " << c.pose[5]);
    EXPECT_NEAR(ndc[0], 0.0f, 1e-4f);
    EXPECT_NEAR(ndc[1], 0.0f, 1e-4f);
    EXPECT_GT(ndc[2], -1.0f);
    EXPECT_LT(ndc[2], 1.0f);
  }
  // Turning about Z moves a point above the axis to the side.
  setCamera(0, 0, 0, 0, 0, 90);
  drawMesh(&empty);
  float up[3] = {0, 10, 100}, ndc[3];
  projectWorldPoint(up, ndc);
  EXPECT_GT(std::fabs(ndc[0]), 0.1f);
  EXPECT_NEAR(ndc[1], 0.0f, 1e-4f);
}

TEST(MeshDraw, StartUpCameraSeesTheOriginAt50AtTheCentre) {
  RENDER_TEST_SETUP();
  startUpCamera();
  clearScreen(0, 0, 0);
  Mesh mesh{};
  buildSquareMesh(&mesh, 1, 1.0f);     // 1 unit at 100 ahead is 7.68 pixels
  mesh.position[1] = 50.0f;
  drawMesh(&mesh);
  expectPixelNear(pixelAt(512, 384), {255, 255, 255}, 0, "centre");
  expectPixelNear(pixelAt(508, 380), {255, 255, 255}, 0, "inside the square");
  expectPixelNear(pixelAt(512 + 12, 384), {0, 0, 0}, 0, "right of the square");
  expectPixelNear(pixelAt(512, 384 - 12), {0, 0, 0}, 0, "above the square");

  // drawMesh leaves no client array enabled, the buffers bound, the colour white.
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_NORMAL_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_TEXTURE_COORD_ARRAY));
  EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
  GLint arrayBuffer = 0, elementBuffer = 0, mode = 0;
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBuffer);
  glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBuffer);
  glGetIntegerv(GL_MATRIX_MODE, &mode);
  EXPECT_EQ((GLuint)arrayBuffer, mesh.vertexBuffer);
  EXPECT_EQ((GLuint)elementBuffer, mesh.indexBuffer);
  EXPECT_EQ(mode, GL_MODELVIEW);

  // With the shader pass flag the colour array is used and switched off again.
  shaderPassActive = 1;
  drawMesh(&mesh);
  EXPECT_FALSE(glIsEnabled(GL_COLOR_ARRAY));
  float colour[4];
  glGetFloatv(GL_CURRENT_COLOR, colour);
  EXPECT_FLOAT_EQ(colour[0], 1.0f);
  EXPECT_FLOAT_EQ(colour[2], 1.0f);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  freeSquareMesh(&mesh);
}

TEST(MeshDraw, PlacementNinetyDegreesIsDrawnSlightlyShort) {
  RENDER_TEST_SETUP();
  setCamera(0, 0, 0, 0, 0, 0);
  Mesh empty{};
  empty.rotationY = 90.0f * 0.017453292f;   // what placeMesh stores for 90 degrees
  drawMesh(&empty);
  float mv[16];
  glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  // scale(1, 1, -1) * Ry(a): element 0 is cos a; cos 89.99979 degrees is 3.665e-6, cos 90 is 0.
  EXPECT_NEAR(mv[0], 3.665e-6f, 0.4e-6f);
  EXPECT_NEAR(mv[8], 1.0f, 1e-6f);
  // The mesh turns about Z first and X last: scale(1, 1, -1) * Rx * Ry * Rz.
  const float ax = 0.5f, ay = 0.3f, az = 0.9f;
  empty.rotationX = ax;
  empty.rotationY = ay;
  empty.rotationZ = az;
  drawMesh(&empty);
  glGetFloatv(GL_MODELVIEW_MATRIX, mv);
  auto rot = [](int axis, float rad, float m[3][3]) {
    float c = std::cos(rad), s = std::sin(rad);
    int i = (axis + 1) % 3, j = (axis + 2) % 3;
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) m[r][k] = r == k ? 1.0f : 0.0f;
    m[i][i] = c; m[i][j] = -s; m[j][i] = s; m[j][j] = c;
  };
  auto mul = [](const float a[3][3], const float b[3][3], float out[3][3]) {
    for (int r = 0; r < 3; ++r)
      for (int k = 0; k < 3; ++k) out[r][k] = a[r][0] * b[0][k] + a[r][1] * b[1][k] + a[r][2] * b[2][k];
  };
  const float toRad = 57.295647f * 3.14159265f / 180.0f;
  float rx[3][3], ry[3][3], rz[3][3], xy[3][3], xyz[3][3];
  rot(0, ax * toRad, rx);
  rot(1, ay * toRad, ry);
  rot(2, az * toRad, rz);
  mul(rx, ry, xy);
  mul(xy, rz, xyz);
  for (int r = 0; r < 3; ++r)
    for (int k = 0; k < 3; ++k)
      EXPECT_NEAR(mv[k * 4 + r], (r == 2 ? -1.0f : 1.0f) * xyz[r][k], 1e-5f) << "row " << r << " column " << k;
}

TEST(MeshDraw, TextureChoiceAndOutOfTableIds) {
  RENDER_TEST_SETUP();
  startUpCamera();
  const TextureId own = putSolidTexture(6, 255, 0, 0);
  const TextureId other = putSolidTexture(7, 0, 0, 255);
  Mesh empty{};
  struct Case {
    TextureId meshTexture;
    int active;
    TextureId override;
    GLuint bound;
  };
  const Case cases[] = {
      {own, 0, other, TextureTable[own]},
      {own, 1, other, TextureTable[other]},
      {own, 1, -1, 0},                 // override -1 draws with name 0
      {-1, 0, other, 0},
      {64, 0, -1, 0},                  // outside the table: name 0, never read past it
      {-7, 0, -1, 0},
      {own, 1, 1000000, 0},
  };
  for (const Case& c : cases) {
    empty.texture = c.meshTexture;
    overrideTextureActive = c.active;
    setOverrideTexture(c.override);
    glBindTexture(GL_TEXTURE_2D, 12345);
    drawMesh(&empty);
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    EXPECT_EQ((GLuint)bound, c.bound) << "mesh " << c.meshTexture << " override " << c.override
                                      << " active " << c.active;
  }
  // The override -1 picture: a textured mesh drawn white, without its own texture.
  clearScreen(0, 0, 0);
  Mesh mesh{};
  buildSquareMesh(&mesh, 1, 5.0f);
  mesh.position[1] = 50.0f;
  mesh.texture = own;
  overrideTextureActive = 1;
  setOverrideTexture(-1);
  drawMesh(&mesh);
  expectPixelNear(pixelAt(512, 384), {255, 255, 255}, 0, "name 0 draws untextured");
  freeSquareMesh(&mesh);
}

TEST(MeshDraw, UploadsTheShownSlot) {
  RENDER_TEST_SETUP();
  startUpCamera();
  Mesh mesh{};
  buildSquareMesh(&mesh, 1, 2.0f);
  for (int i = 0; i < 4; ++i) mesh.vertices[4 + i].x = 100.0f + (float)i;   // slot 1 differs
  mesh.drawSlot = 1;                   // as after waveMesh
  drawMesh(&mesh);
  std::vector<MeshVertex> shown = vertexBufferContents(&mesh);
  for (int i = 0; i < 4; ++i) EXPECT_FLOAT_EQ(shown[i].x, 100.0f + (float)i);
  mesh.drawSlot = 0;
  drawMesh(&mesh);
  shown = vertexBufferContents(&mesh);
  EXPECT_FLOAT_EQ(shown[1].x, 2.0f);
  freeSquareMesh(&mesh);
}

TEST(MeshDraw, EmptyOrBrokenMeshesDrawNothing) {
  RENDER_TEST_SETUP();
  startUpCamera();
  clearScreen(0, 0, 0);
  Mesh empty{};                        // zero counts, null arrays, buffer names 0
  drawMesh(&empty);
  drawMesh(nullptr);
  Mesh badSlot{};
  buildSquareMesh(&badSlot, 1, 5.0f);
  badSlot.position[1] = 50.0f;
  badSlot.drawSlot = 2;                // past the work slot
  drawMesh(&badSlot);
  expectPixelNear(pixelAt(512, 384), {0, 0, 0}, 0, "nothing drawn");
  EXPECT_FALSE(glIsEnabled(GL_VERTEX_ARRAY));
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
  freeSquareMesh(&badSlot);
}

TEST(MeshDraw, FirstDrawSetsUpTheGlStateWhenMissing) {
  GL_TEST_CONTEXT();
  glStateReady = 0;                    // as before initGlState, whatever earlier cases did
  Mesh empty{};
  drawMesh(&empty);
  EXPECT_EQ(glStateReady, 1);
  GLint depthFunc = 0;
  glGetIntegerv(GL_DEPTH_FUNC, &depthFunc);
  EXPECT_EQ(depthFunc, GL_LEQUAL);
}
