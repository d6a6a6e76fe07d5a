// The per-frame render queue: mesh entries with their placement snapshots, background
// pictures and state commands, walked in order by drawRenderQueue. Owns renderQueue and
// the four render settings (override texture, shader texture and their two flags).
#include "render/render_internal.h"

RenderQueue renderQueue;
TextureId overrideTexture = -1;
TextureId shaderTexture = -1;
int overrideTextureActive;
int shaderPassActive;

void resetRenderQueue() {
  renderQueue.slotCount = 0;
  renderQueue.snapshotCount = 0;
}

void resetRenderState() {
  resetRenderQueue();
  overrideTexture = -1;
  shaderTexture = -1;
  overrideTextureActive = 0;
  shaderPassActive = 0;
}

// Appends one integer slot; the caller has checked the room.
static void appendValue(int32_t value) {
  renderQueue.slots[renderQueue.slotCount].mesh = nullptr;
  renderQueue.slots[renderQueue.slotCount].value = value;
  renderQueue.slotCount++;
}

static bool slotsFree(int count) {
  return renderQueue.slotCount >= 0 && renderQueue.slotCount <= RENDER_QUEUE_SLOTS - count;
}

void queueBackground(TextureId texture) {
  if (!slotsFree(3)) return;
  appendValue(0);
  appendValue(DrawBackground);
  appendValue(texture);
}

void queueMesh(Mesh* mesh) {
  if (!mesh || !slotsFree(2)) return;
  int32_t s = renderQueue.snapshotCount;
  if (s < 0 || s > RENDER_QUEUE_SNAPSHOT_VALUES - PLACEMENT_SNAPSHOT_SIZE) return;
  renderQueue.slots[renderQueue.slotCount].mesh = mesh;
  renderQueue.slots[renderQueue.slotCount].value = 0;
  renderQueue.slotCount++;
  appendValue(s);
  float* snap = renderQueue.snapshots + s;
  snap[0] = mesh->position[0];
  snap[1] = mesh->position[1];
  snap[2] = mesh->position[2];
  snap[3] = mesh->rotationY;
  snap[4] = mesh->rotationX;
  snap[5] = mesh->rotationZ;
  snap[6] = mesh->framePosition;
  renderQueue.snapshotCount = s + PLACEMENT_SNAPSHOT_SIZE;
}

void queueCommand(int32_t code) {
  if (!slotsFree(2)) return;
  appendValue(0);
  appendValue(code);
}

void setOverrideTexture(TextureId texture) { overrideTexture = texture; }
void setShaderTexture(TextureId texture) { shaderTexture = texture; }

bool nextQueueEntry(int32_t* at, RenderEntry* entry) {
  int32_t i = *at;
  int32_t count = renderQueue.slotCount;
  if (count > RENDER_QUEUE_SLOTS) count = RENDER_QUEUE_SLOTS;
  // Entries are only ever appended whole, so every entry's slots lie inside count.
  if (i < 0 || i + 1 >= count) return false;
  const RenderSlot& head = renderQueue.slots[i];
  if (head.mesh) {
    *entry = {head.mesh, 0, renderQueue.slots[i + 1].value};
    *at = i + 2;
    return true;
  }
  int32_t code = renderQueue.slots[i + 1].value;
  if (code == DrawBackground) {
    if (i + 2 >= count) return false;
    *entry = {nullptr, code, renderQueue.slots[i + 2].value};
    *at = i + 3;
    return true;
  }
  *entry = {nullptr, code, 0};
  *at = i + 2;
  return true;
}

void restoreQueuedMesh(const RenderEntry& entry) {
  Mesh* mesh = entry.mesh;
  const float* snap = renderQueue.snapshots + entry.value;
  mesh->position[0] = snap[0];
  mesh->position[1] = snap[1];
  mesh->position[2] = snap[2];
  mesh->rotationY = snap[3];
  mesh->rotationX = snap[4];
  mesh->rotationZ = snap[5];
  mesh->framePosition = snap[6];
  interpolateMeshFrame(mesh, mesh->framePosition);
}

void drawRenderQueue() {
  int32_t at = 0;
  RenderEntry entry;
  while (nextQueueEntry(&at, &entry)) {
    if (entry.mesh) {
      restoreQueuedMesh(entry);
      drawMesh(entry.mesh);
    } else if (entry.code == DrawBackground) {
      drawScreenQuad(entry.value, 0.0f, 0.0f, 1.0f, 1.0f, -1);
    } else {
      performCommand(entry.code);
    }
  }
}
