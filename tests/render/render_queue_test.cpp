#include <cmath>
#include <functional>

#include "render_test_support.h"

namespace {

// The pieces of GL state the queue commands touch.
struct QueueState {
  GLboolean blend, depthMask, cull, genS, genT, unit1Texture2D;
  GLint blendSrc, blendDst, genModeS, genModeT, activeUnit, unit1Binding, program;
  int override, shader;
  bool operator==(const QueueState&) const = default;
};

QueueState readQueueState() {
  QueueState s{};
  s.blend = glIsEnabled(GL_BLEND);
  glGetBooleanv(GL_DEPTH_WRITEMASK, &s.depthMask);
  s.cull = glIsEnabled(GL_CULL_FACE);
  s.genS = glIsEnabled(GL_TEXTURE_GEN_S);
  s.genT = glIsEnabled(GL_TEXTURE_GEN_T);
  glGetIntegerv(GL_BLEND_SRC, &s.blendSrc);
  glGetIntegerv(GL_BLEND_DST, &s.blendDst);
  glGetTexGeniv(GL_S, GL_TEXTURE_GEN_MODE, &s.genModeS);
  glGetTexGeniv(GL_T, GL_TEXTURE_GEN_MODE, &s.genModeT);
  glGetIntegerv(GL_ACTIVE_TEXTURE, &s.activeUnit);
  ext::glActiveTextureARB(GL_TEXTURE1_ARB);
  s.unit1Texture2D = glIsEnabled(GL_TEXTURE_2D);
  glGetIntegerv(GL_TEXTURE_BINDING_2D, &s.unit1Binding);
  ext::glActiveTextureARB((GLenum)s.activeUnit);
  glGetIntegerv(GL_CURRENT_PROGRAM, &s.program);
  s.override = overrideTextureActive;
  s.shader = shaderPassActive;
  return s;
}

void walkOne(int32_t code) {
  resetRenderQueue();
  queueCommand(code);
  drawRenderQueue();
}

}  // namespace

TEST(RenderQueue, LayoutOfBackgroundMeshAndCommand) {
  Mesh mesh{};
  mesh.position[0] = 1.0f;
  mesh.position[1] = 2.0f;
  mesh.position[2] = 3.0f;
  mesh.rotationY = 0.25f;
  mesh.rotationX = 0.5f;
  mesh.rotationZ = 0.75f;
  mesh.framePosition = 1.5f;
  resetRenderQueue();
  queueBackground(7);
  queueMesh(&mesh);
  queueCommand(SphereMapOn);
  ASSERT_EQ(renderQueue.slotCount, 7);
  ASSERT_EQ(renderQueue.snapshotCount, 7);
  const RenderSlot* s = renderQueue.slots;
  EXPECT_EQ(s[0].mesh, nullptr);
  EXPECT_EQ(s[0].value, 0);
  EXPECT_EQ(s[1].value, DrawBackground);
  EXPECT_EQ(s[2].value, 7);
  EXPECT_EQ(s[3].mesh, &mesh);
  EXPECT_EQ(s[4].value, 0);            // its snapshot starts at value 0
  EXPECT_EQ(s[5].mesh, nullptr);
  EXPECT_EQ(s[6].value, SphereMapOn);
  const float want[7] = {1.0f, 2.0f, 3.0f, 0.25f, 0.5f, 0.75f, 1.5f};
  for (int i = 0; i < 7; ++i) EXPECT_EQ(renderQueue.snapshots[i], want[i]) << "value " << i;

  // A second mesh entry points past the first snapshot.
  queueMesh(&mesh);
  EXPECT_EQ(renderQueue.slots[8].value, 7);
  EXPECT_EQ(renderQueue.snapshotCount, 14);

  // Resetting empties the queue and leaves the settings alone.
  setOverrideTexture(5);
  overrideTextureActive = 1;
  resetRenderQueue();
  EXPECT_EQ(renderQueue.slotCount, 0);
  EXPECT_EQ(renderQueue.snapshotCount, 0);
  EXPECT_EQ(overrideTexture, 5);
  EXPECT_EQ(overrideTextureActive, 1);
}

TEST(RenderQueue, EntriesThatDoNotFitAreDroppedWhole) {
  Mesh mesh{};
  resetRenderQueue();
  for (int i = 0; i < 511; ++i) queueCommand(CullOn);
  ASSERT_EQ(renderQueue.slotCount, 1022);
  queueBackground(3);                  // needs 3, only 2 left
  EXPECT_EQ(renderQueue.slotCount, 1022);
  queueMesh(&mesh);                    // fits exactly
  EXPECT_EQ(renderQueue.slotCount, 1024);
  EXPECT_EQ(renderQueue.snapshotCount, 7);
  queueCommand(CullOff);
  queueMesh(&mesh);
  EXPECT_EQ(renderQueue.slotCount, 1024);
  EXPECT_EQ(renderQueue.snapshotCount, 7);

  // The snapshot array fills first with mesh entries: 292 fit (2044 values), the next not.
  resetRenderQueue();
  for (int i = 0; i < 292; ++i) queueMesh(&mesh);
  EXPECT_EQ(renderQueue.snapshotCount, 2044);
  EXPECT_EQ(renderQueue.slotCount, 584);
  queueMesh(&mesh);
  EXPECT_EQ(renderQueue.snapshotCount, 2044);
  EXPECT_EQ(renderQueue.slotCount, 584);
  queueCommand(BlendOff);              // commands still fit
  EXPECT_EQ(renderQueue.slotCount, 586);
}

TEST(RenderQueue, EveryCommandChangesItsState) {
  RENDER_TEST_SETUP();
  const TextureId anisoMap = putSolidTexture(9, 10, 20, 30);
  setShaderTexture(anisoMap);
  struct Case {
    int32_t code;
    std::function<void()> before;      // the opposite state
    std::function<void(const QueueState&)> check;
  };
  const Case cases[] = {
      {BlendAdditive, [] { glDisable(GL_BLEND); glDepthMask(GL_TRUE); },
       [](const QueueState& s) {
         EXPECT_TRUE(s.blend); EXPECT_FALSE(s.depthMask);
         EXPECT_EQ(s.blendSrc, GL_SRC_ALPHA); EXPECT_EQ(s.blendDst, GL_ONE);
       }},
      {BlendMultiply, [] { glDisable(GL_BLEND); glDepthMask(GL_TRUE); },
       [](const QueueState& s) {
         EXPECT_TRUE(s.blend); EXPECT_FALSE(s.depthMask);
         EXPECT_EQ(s.blendSrc, GL_ZERO); EXPECT_EQ(s.blendDst, GL_SRC_COLOR);
       }},
      {BlendAlpha, [] { glDisable(GL_BLEND); glDepthMask(GL_TRUE); },
       [](const QueueState& s) {
         EXPECT_TRUE(s.blend); EXPECT_FALSE(s.depthMask);
         EXPECT_EQ(s.blendSrc, GL_SRC_ALPHA); EXPECT_EQ(s.blendDst, GL_ONE_MINUS_SRC_ALPHA);
       }},
      {BlendAlphaDepthWrite, [] { glDisable(GL_BLEND); glDepthMask(GL_FALSE); },
       [](const QueueState& s) {
         EXPECT_TRUE(s.blend); EXPECT_TRUE(s.depthMask);
         EXPECT_EQ(s.blendSrc, GL_SRC_ALPHA); EXPECT_EQ(s.blendDst, GL_ONE_MINUS_SRC_ALPHA);
       }},
      {CullOn, [] { glDisable(GL_CULL_FACE); }, [](const QueueState& s) { EXPECT_TRUE(s.cull); }},
      {CullOff, [] { glEnable(GL_CULL_FACE); }, [](const QueueState& s) { EXPECT_FALSE(s.cull); }},
      {BlendOff, [] { glEnable(GL_BLEND); glDepthMask(GL_FALSE); },
       [](const QueueState& s) { EXPECT_FALSE(s.blend); EXPECT_TRUE(s.depthMask); }},
      {SphereMapOn,
       [] {
         glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_OBJECT_LINEAR);
         glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_EYE_LINEAR);
       },
       [](const QueueState& s) {
         EXPECT_TRUE(s.genS); EXPECT_TRUE(s.genT);
         EXPECT_EQ(s.genModeS, GL_SPHERE_MAP); EXPECT_EQ(s.genModeT, GL_SPHERE_MAP);
       }},
      {SphereMapOff, [] { glEnable(GL_TEXTURE_GEN_S); glEnable(GL_TEXTURE_GEN_T); },
       [](const QueueState& s) { EXPECT_FALSE(s.genS); EXPECT_FALSE(s.genT); }},
      {OverrideTextureOn, [] { overrideTextureActive = 0; },
       [](const QueueState& s) { EXPECT_EQ(s.override, 1); }},
      {OverrideTextureOff, [] { overrideTextureActive = 1; },
       [](const QueueState& s) { EXPECT_EQ(s.override, 0); }},
      {AnisoShaderOn, [] {},
       [&](const QueueState& s) {
         EXPECT_TRUE(s.unit1Texture2D);
         EXPECT_EQ((GLuint)s.unit1Binding, TextureTable[anisoMap]);
         EXPECT_EQ(s.activeUnit, GL_TEXTURE0_ARB);
         EXPECT_EQ(s.shader, 1);
         EXPECT_EQ((GLhandleARB)s.program, anisoProgram);
       }},
      {AnisoShaderOff, [] {},
       [](const QueueState& s) {
         EXPECT_FALSE(s.unit1Texture2D);
         EXPECT_EQ(s.unit1Binding, 0);
         EXPECT_EQ(s.activeUnit, GL_TEXTURE0_ARB);
         EXPECT_EQ(s.shader, 0);
         EXPECT_EQ(s.program, 0);
       }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE("command " + std::to_string(c.code));
    c.before();
    walkOne(c.code);
    c.check(readQueueState());
  }
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(RenderQueue, EmptyWalkAndUnknownCodesChangeNothing) {
  RENDER_TEST_SETUP();
  glEnable(GL_BLEND);
  glBlendFunc(GL_DST_COLOR, GL_SRC_ALPHA);
  glDepthMask(GL_FALSE);
  const QueueState before = readQueueState();
  resetRenderQueue();
  drawRenderQueue();
  EXPECT_TRUE(readQueueState() == before);

  // Codes 0, 15 and negative ones are skipped, and the walk goes on past them.
  resetRenderQueue();
  queueCommand(0);
  queueCommand(15);
  queueCommand(-3);
  queueCommand(CullOff);
  drawRenderQueue();
  QueueState after = readQueueState();
  EXPECT_FALSE(after.cull);
  after.cull = before.cull;
  EXPECT_TRUE(after == before);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(RenderQueue, BackgroundAndMeshesDrawnInQueueOrder) {
  RENDER_TEST_SETUP();
  startUpCamera();
  clearScreen(0, 0, 0);
  const TextureId blue = putSolidTexture(1, 0, 0, 200);
  Mesh mesh{};
  buildSquareMesh(&mesh, 1, 5.0f);
  resetRenderQueue();
  queueBackground(blue);
  // The same mesh twice: left of centre, then right of centre.
  mesh.position[0] = -20.0f;
  mesh.position[1] = 50.0f;
  queueMesh(&mesh);
  mesh.position[0] = 20.0f;
  queueMesh(&mesh);
  mesh.position[0] = 0.0f;             // moved after queueing: must not be drawn here
  queueCommand(SphereMapOn);
  drawRenderQueue();

  EXPECT_TRUE(glIsEnabled(GL_TEXTURE_GEN_S));
  EXPECT_FLOAT_EQ(mesh.position[0], 20.0f);   // holds its last snapshot
  // Meshes without a texture draw white over the background; at 100 ahead 1 unit is 7.68 px.
  expectPixelNear(pixelAt(512 - 154, 384), {255, 255, 255}, 1, "first placement");
  expectPixelNear(pixelAt(512 + 154, 384), {255, 255, 255}, 1, "second placement");
  expectPixelNear(pixelAt(512, 384), {0, 0, 200}, 1, "background between them");
  expectPixelNear(pixelAt(10, 10), {0, 0, 200}, 1, "background corner");
  freeSquareMesh(&mesh);
}

TEST(RenderQueue, EachEntryRestoresAndReblendsItsSnapshot) {
  RENDER_TEST_SETUP();
  startUpCamera();
  Mesh mesh{};
  buildSquareMesh(&mesh, 4, 1.0f, 10.0f);   // keyframe f is shifted by 10 f in x
  mesh.framePosition = 2.5f;
  resetRenderQueue();
  queueMesh(&mesh);
  mesh.framePosition = 0.0f;
  drawRenderQueue();
  EXPECT_FLOAT_EQ(mesh.framePosition, 2.5f);
  EXPECT_EQ(mesh.drawSlot, 4);
  std::vector<MeshVertex> shown = vertexBufferContents(&mesh);
  EXPECT_FLOAT_EQ(shown[0].x, -1.0f + 25.0f) << "drawn blended at 2.5";

  // Two entries of one mesh: each is blended at its own position before its draw.
  resetRenderQueue();
  mesh.framePosition = 2.5f;
  queueMesh(&mesh);
  mesh.framePosition = 1.0f;
  queueMesh(&mesh);
  mesh.framePosition = 3.0f;
  drawRenderQueue();
  shown = vertexBufferContents(&mesh);
  EXPECT_FLOAT_EQ(shown[0].x, -1.0f + 10.0f) << "the last entry shows position 1.0";
  EXPECT_FLOAT_EQ(mesh.framePosition, 1.0f);
  freeSquareMesh(&mesh);
}

TEST(RenderQueue, OverrideTextureReadAtDrawTime) {
  RENDER_TEST_SETUP();
  startUpCamera();
  clearScreen(0, 0, 0);
  const TextureId own = putSolidTexture(2, 255, 0, 0);
  const TextureId other = putSolidTexture(3, 0, 255, 0);
  Mesh mesh{};
  buildSquareMesh(&mesh, 1, 10.0f);
  mesh.position[1] = 50.0f;
  mesh.texture = own;
  setOverrideTexture(own);
  resetRenderQueue();
  queueCommand(OverrideTextureOn);
  queueMesh(&mesh);
  queueCommand(OverrideTextureOff);
  setOverrideTexture(other);           // after queueing, before the walk
  drawRenderQueue();
  expectPixelNear(pixelAt(512, 384), {0, 255, 0}, 1, "drawn with the later override");
  EXPECT_EQ(overrideTextureActive, 0);
  freeSquareMesh(&mesh);
}

TEST(RenderQueue, BackgroundUsesTheBlendStateOfEarlierCommands) {
  RENDER_TEST_SETUP();
  const TextureId grey = putSolidTexture(4, 100, 100, 100);
  clearScreen(0.2f, 0.2f, 0.2f);       // 51
  resetRenderQueue();
  queueCommand(BlendAdditive);
  queueBackground(grey);
  drawRenderQueue();
  expectPixelNear(pixelAt(300, 300), {151, 151, 151}, 2, "additive background");
  EXPECT_TRUE(glIsEnabled(GL_BLEND));
  EXPECT_TRUE(glIsEnabled(GL_DEPTH_TEST)) << "the depth test comes back after the picture";

  clearScreen(0.2f, 0.2f, 0.2f);
  resetRenderQueue();
  queueCommand(BlendOff);
  queueBackground(grey);
  drawRenderQueue();
  expectPixelNear(pixelAt(300, 300), {100, 100, 100}, 1, "opaque background");
}
