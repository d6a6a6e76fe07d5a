// The one Camera through which every mesh is seen: its pose, set by the scene scripts, and
// its projection values, loaded into GL by the back end's applyProjection. Owns camera.
#include "render/render_internal.h"

Camera camera;

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

bool meshDrawable(const Mesh* mesh) {
  return mesh->vertexCount > 0 && mesh->triangleCount > 0 && mesh->vertices && mesh->triangles &&
         mesh->vertexBuffer != 0 && mesh->indexBuffer != 0 && mesh->drawSlot >= 0 &&
         mesh->drawSlot <= mesh->frameCount;
}
