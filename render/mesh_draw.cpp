// The one Camera through which every mesh is seen, its perspective projection, and the
// drawing of one Mesh from its two GL buffers. Owns camera.
#include <cstddef>

#include "render/render_internal.h"

Camera camera;

// Mesh angles are kept in radians and handed back to GL in degrees with this factor.
static constexpr float RADIANS_TO_DEGREES = 57.295647f;
static constexpr GLsizei VERTEX_STRIDE = (GLsizei)sizeof(MeshVertex);

void setCamera(float x, float y, float z, float a, float b, float c) {
  camera.position[0] = x;
  camera.position[1] = y;
  camera.position[2] = z;
  camera.angleY = a;
  camera.angleX = b;
  camera.angleZ = c;
}

Camera* setProjection(Camera* cam, int32_t zNear, int32_t zFar, float focal) {
  cam->zNear = (float)zNear;
  cam->zFar = (float)zFar;
  cam->focal = focal;
  return cam;
}

// The frustum's half extents at distance `focal`: 320 x 240, the screen's 4:3.
constexpr float FRUSTUM_HALF_WIDTH = 160.0f, FRUSTUM_HALF_HEIGHT = 120.0f;

void applyProjection(Camera* cam) {
  float k = cam->zNear / cam->focal;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-FRUSTUM_HALF_WIDTH * k, FRUSTUM_HALF_WIDTH * k, -FRUSTUM_HALF_HEIGHT * k,
            FRUSTUM_HALF_HEIGHT * k, cam->zNear, cam->zFar);
}

// True when the mesh has vertices, triangles, a valid shown slot and both buffers.
static bool meshDrawable(const Mesh* mesh) {
  return mesh->vertexCount > 0 && mesh->triangleCount > 0 && mesh->vertices && mesh->triangles &&
         mesh->vertexBuffer != 0 && mesh->indexBuffer != 0 && mesh->drawSlot >= 0 &&
         mesh->drawSlot <= mesh->frameCount;
}

void drawMesh(Mesh* mesh) {
  if (!mesh) return;
  TextureId texture = overrideTextureActive == 1 ? overrideTexture : mesh->texture;
  if (glStateReady == 0) initGlState();
  // Without the buffer entry points nothing can be drawn.
  if (!ext::glBindBufferARB || !ext::glBufferDataARB) return;
  glBindTexture(GL_TEXTURE_2D, textureName(texture));

  glMatrixMode(GL_MODELVIEW);
  glLoadIdentity();
  glScalef(1.0f, 1.0f, -1.0f);
  glRotatef(camera.angleX, 1.0f, 0.0f, 0.0f);
  glRotatef(camera.angleY, 0.0f, 1.0f, 0.0f);
  glRotatef(camera.angleZ, 0.0f, 0.0f, 1.0f);
  glTranslatef(-camera.position[0], -camera.position[1], -camera.position[2]);
  glTranslatef(mesh->position[0], mesh->position[1], mesh->position[2]);
  glRotatef(mesh->rotationX * RADIANS_TO_DEGREES, 1.0f, 0.0f, 0.0f);
  glRotatef(mesh->rotationY * RADIANS_TO_DEGREES, 0.0f, 1.0f, 0.0f);
  glRotatef(mesh->rotationZ * RADIANS_TO_DEGREES, 0.0f, 0.0f, 1.0f);
  glColor3f(1.0f, 1.0f, 1.0f);
  if (!meshDrawable(mesh)) return;   // an empty Mesh: placement only, nothing to draw

  bool withTangents = shaderPassActive == 1;
  glEnableClientState(GL_VERTEX_ARRAY);
  glEnableClientState(GL_NORMAL_ARRAY);
  glEnableClientState(GL_TEXTURE_COORD_ARRAY);
  if (withTangents) glEnableClientState(GL_COLOR_ARRAY);

  ext::glBindBufferARB(GL_ARRAY_BUFFER_ARB, mesh->vertexBuffer);
  const MeshVertex* shown = mesh->vertices + (size_t)mesh->drawSlot * (size_t)mesh->vertexCount;
  ext::glBufferDataARB(GL_ARRAY_BUFFER_ARB, (GLsizeiptrARB)mesh->vertexCount * VERTEX_STRIDE, shown,
                       GL_DYNAMIC_DRAW_ARB);
  // Offsets into the MeshVertex layout; the texture coordinates are read as three values
  // from u on (u, v and the normal's x, which a 2D texture ignores).
  glVertexPointer(3, GL_FLOAT, VERTEX_STRIDE, (const void*)offsetof(MeshVertex, x));
  glTexCoordPointer(3, GL_FLOAT, VERTEX_STRIDE, (const void*)offsetof(MeshVertex, u));
  glNormalPointer(GL_FLOAT, VERTEX_STRIDE, (const void*)offsetof(MeshVertex, nx));
  if (withTangents) glColorPointer(3, GL_FLOAT, VERTEX_STRIDE, (const void*)offsetof(MeshVertex, tx));
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER_ARB, mesh->indexBuffer);
  glDrawElements(GL_TRIANGLES, mesh->triangleCount * 3, GL_UNSIGNED_INT, (const void*)0);

  glDisableClientState(GL_VERTEX_ARRAY);
  glDisableClientState(GL_NORMAL_ARRAY);
  glDisableClientState(GL_TEXTURE_COORD_ARRAY);
  if (withTangents) glDisableClientState(GL_COLOR_ARRAY);
  glColor3f(1.0f, 1.0f, 1.0f);
}
