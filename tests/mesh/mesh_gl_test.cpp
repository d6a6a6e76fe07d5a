// The Mesh's two GL buffer objects on the real software context: what upload puts in them,
// what the loaders leave for missing and malformed files, and release.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "mesh/mesh.h"
#include "mesh_test_util.h"
#include "platform/platform.h"
#include "render/render_internal.h"
#include "support/gl_context.h"

static PFNGLGETBUFFERPARAMETERIVARBPROC getBufferParameteriv;
static PFNGLGETBUFFERSUBDATAARBPROC getBufferSubData;
static PFNGLISBUFFERARBPROC isBuffer;

static void startGl() {
  initGlState();
  getBufferParameteriv = (PFNGLGETBUFFERPARAMETERIVARBPROC)glProcAddress("glGetBufferParameterivARB");
  getBufferSubData = (PFNGLGETBUFFERSUBDATAARBPROC)glProcAddress("glGetBufferSubDataARB");
  isBuffer = (PFNGLISBUFFERARBPROC)glProcAddress("glIsBufferARB");
  ASSERT_TRUE(getBufferParameteriv && getBufferSubData && isBuffer);
  while (glGetError() != GL_NO_ERROR) {
  }
}

static GLint bufferSize(GLenum target, GLuint buffer) {
  ext::glBindBufferARB(target, buffer);
  GLint size = -1;
  getBufferParameteriv(target, GL_BUFFER_SIZE, &size);
  ext::glBindBufferARB(target, 0);
  return size;
}

TEST(MeshGl, UploadFillsBothBuffersFromSlotZero) {
  GL_TEST_CONTEXT();
  startGl();
  std::string path = scratchPath("square.bof");
  writeTextFile(path,
                "mesh 4 2 0 0 0\n0 -1 0 -1 0 0\n1 1 0 -1 1 0\n2 1 0 1 1 1\n3 -1 0 1 0 1\n"
                "0 0 1 2\n1 0 2 3\n");
  Mesh mesh{};
  loadStaticMesh(path.c_str(), &mesh);
  ASSERT_NE(mesh.vertexBuffer, 0u);
  ASSERT_NE(mesh.indexBuffer, 0u);
  EXPECT_NE(mesh.vertexBuffer, mesh.indexBuffer);
  GLint arrayBinding = -1, elementBinding = -1;
  glGetIntegerv(GL_ARRAY_BUFFER_BINDING, &arrayBinding);
  glGetIntegerv(GL_ELEMENT_ARRAY_BUFFER_BINDING, &elementBinding);
  EXPECT_EQ(arrayBinding, 0);
  EXPECT_EQ(elementBinding, 0);
  EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, mesh.vertexBuffer), 4 * 60);
  EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer), 2 * 12);

  std::vector<MeshVertex> vertices(4);
  ext::glBindBufferARB(GL_ARRAY_BUFFER, mesh.vertexBuffer);
  getBufferSubData(GL_ARRAY_BUFFER, 0, 4 * 60, vertices.data());
  EXPECT_EQ(memcmp(vertices.data(), mesh.vertices, 4 * 60), 0);
  uint32_t indices[6] = {};
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER, mesh.indexBuffer);
  getBufferSubData(GL_ELEMENT_ARRAY_BUFFER, 0, sizeof(indices), indices);
  const uint32_t expected[6] = {0, 2, 1, 0, 3, 2};
  EXPECT_EQ(memcmp(indices, expected, sizeof(indices)), 0);
  ext::glBindBufferARB(GL_ARRAY_BUFFER, 0);
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER, 0);

  GLuint names[2] = {mesh.vertexBuffer, mesh.indexBuffer};
  EXPECT_EQ(destroyMesh(&mesh), 0);
  EXPECT_FALSE(isBuffer(names[0]));
  EXPECT_FALSE(isBuffer(names[1]));
  EXPECT_EQ(mesh.vertexBuffer, 0u);
  EXPECT_EQ(mesh.indexBuffer, 0u);
  EXPECT_EQ(destroyMesh(&mesh), 0);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}

TEST(MeshGl, FailedLoadsLeaveEmptyBuffersThatDrawNothing) {
  GL_TEST_CONTEXT();
  startGl();
  std::string bad = scratchPath("bad.baf");
  // A triangle index at the vertex count: no index may reach the GL beyond the buffer.
  writeTextFile(bad, "anim 3 1 1 0 0 0 0 0 0 0 0 0 1 1 0 0 0 0 2 0 1 0 0 1 0 0 1 3");
  Mesh missing{}, malformed{};
  testing::internal::CaptureStdout();
  testing::internal::CaptureStderr();
  loadStaticMesh("data/absent.bof", &missing);
  loadAnimatedMesh(bad.c_str(), &malformed);
  EXPECT_EQ(testing::internal::GetCapturedStdout(), "EEEEEEEEEEEK!!!     file not found!!");
  EXPECT_NE(testing::internal::GetCapturedStderr().find("bad.baf"), std::string::npos);
  for (Mesh* mesh : {&missing, &malformed}) {
    expectEmptyMesh(*mesh);
    ASSERT_NE(mesh->vertexBuffer, 0u);
    EXPECT_EQ(bufferSize(GL_ARRAY_BUFFER, mesh->vertexBuffer), 0);
    EXPECT_EQ(bufferSize(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer), 0);
    // What the mesh renderer does with it: re-specify and draw zero triangles.
    ext::glBindBufferARB(GL_ARRAY_BUFFER, mesh->vertexBuffer);
    ext::glBufferDataARB(GL_ARRAY_BUFFER, (GLsizeiptr)mesh->vertexCount * 60, mesh->vertices,
                         GL_DYNAMIC_DRAW);
    ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer);
    glDrawElements(GL_TRIANGLES, mesh->triangleCount * 3, GL_UNSIGNED_INT, nullptr);
    EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
    destroyMesh(mesh);
    EXPECT_EQ(mesh->vertexBuffer, 0u);
  }
}

TEST(MeshGl, DestroyOnANeverLoadedMeshMakesNoGlCall) {
  GL_TEST_CONTEXT();
  startGl();
  Mesh never{};
  EXPECT_EQ(destroyMesh(&never), 0);
  EXPECT_EQ(never.texture, -1);
  EXPECT_EQ(glGetError(), (GLenum)GL_NO_ERROR);
}
