// The GL 1.x back end's camera projection and the drawing of one Mesh from its two GL
// buffers through client arrays and the matrix stack.
#include <cstddef>

#include "render/gl1.h"

static constexpr GLsizei VERTEX_STRIDE = (GLsizei)sizeof(MeshVertex);

void gl1ApplyProjection(Camera* cam) {
  float k = cam->zNear / cam->focal;
  glMatrixMode(GL_PROJECTION);
  glLoadIdentity();
  glFrustum(-FRUSTUM_HALF_WIDTH * k, FRUSTUM_HALF_WIDTH * k, -FRUSTUM_HALF_HEIGHT * k,
            FRUSTUM_HALF_HEIGHT * k, cam->zNear, cam->zFar);
}

void gl1DrawMesh(Mesh* mesh) {
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
