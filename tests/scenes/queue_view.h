// Reads the render queue back as a list of entries, so tests can compare what a scene
// script queued with what its scene should show.
#pragma once
#include <ostream>
#include <vector>

#include "render/render_internal.h"

struct QueueEntry {
  Mesh* mesh;                         // null for a command or background
  int code;                           // command code (1 for a background)
  TextureId texture;                  // background picture
  float snap[PLACEMENT_SNAPSHOT_SIZE];   // mesh entries: x, y, z, rotationY, rotationX, rotationZ, framePosition
};

inline std::vector<QueueEntry> readQueue() {
  std::vector<QueueEntry> out;
  int32_t at = 0;
  RenderEntry entry;
  while (nextQueueEntry(&at, &entry)) {
    QueueEntry e{};
    e.mesh = entry.mesh;
    if (entry.mesh) {
      for (int k = 0; k < PLACEMENT_SNAPSHOT_SIZE; k++) e.snap[k] = renderQueue.snapshots[entry.value + k];
    } else {
      e.code = entry.code;
      if (entry.code == DrawBackground) e.texture = entry.value;
    }
    out.push_back(e);
  }
  return out;
}

// The queue as a compact sequence: a mesh entry as its Mesh, a command as its code, a
// background as -texture - 100 (so it cannot be taken for a code).
struct Step {
  Mesh* mesh;
  int value;
  bool operator==(const Step& o) const { return mesh == o.mesh && value == o.value; }
};
inline void PrintTo(const Step& s, std::ostream* os) {
  if (s.mesh) *os << "mesh@" << (const void*)s.mesh;
  else if (s.value <= -100) *os << "background " << (-s.value - 100);
  else *os << "command " << s.value;
}
inline Step M(Mesh* m) { return {m, 0}; }
inline Step C(int code) { return {nullptr, code}; }
inline Step Bg(TextureId t) { return {nullptr, -t - 100}; }

inline std::vector<Step> queueSteps() {
  std::vector<Step> out;
  for (const QueueEntry& e : readQueue()) {
    if (e.mesh) out.push_back(M(e.mesh));
    else if (e.code == DrawBackground) out.push_back(Bg(e.texture));
    else out.push_back(C(e.code));
  }
  return out;
}

inline int countMesh(const std::vector<QueueEntry>& q, const Mesh* m) {
  int n = 0;
  for (const QueueEntry& e : q) n += e.mesh == m;
  return n;
}
