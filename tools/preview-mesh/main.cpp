// preview-mesh — renders one mesh file at each of its keyframes into a PNG strip, the way
// the show draws it (the project's loaders, render queue and drawMesh, back faces culled).
//
//   preview-mesh FILE.bof|FILE.baf [--texture FILE.raw] [--out strip.png]
//                [--camera x y z a b c] [--place x y z a b c] [--scale k]
//                [--frames p0,p1,...] [--sphere] [--aniso] [--nocull] [--blend add|alpha|mul]
//                [--with FILE [--with-texture FILE.raw] [--with-sphere] [--with-aniso]
//                       [--with-place x y z a b c]]...
//
// --with meshes are drawn first, at the main mesh's placement (or their own --with-place) and
// animation position (clamped to their own keyframes). Without --scale the file is scaled as the show scales it (0.1 or 0.2 for the files that
// are, 1 otherwise). Without --camera the view frames keyframe 0 from the front, a little
// above. Run from the repository root (the shader and its lookup come from data/).

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include <GL/gl.h>

#include "platform/display.h"
#include "mesh/mesh.h"
#include "png_writer.h"
#include "render/render_internal.h"
#include "texture/texture.h"

namespace {

struct Options {
  std::string file, texture, out = "preview.png";
  bool haveCamera = false, havePlace = false, sphere = false, aniso = false, cull = true;
  float camera[6] = {0, 0, 0, 0, 0, 0}, place[6] = {0, 0, 0, 0, 0, 0};
  float scale = -1;
  std::vector<float> frames;
  std::string blend;
  std::vector<std::string> withFiles, withTextures;
  std::vector<int> withSphere, withAniso;
  std::vector<std::vector<float>> withPlace;   // empty: the main mesh's placement
};

float showScale(const std::string& path) {
  std::string name = path.substr(path.find_last_of('/') + 1);
  const char* tenth[] = {"H_", "envahipoil", "furball", "tele", "bubl"};
  for (const char* p : tenth)
    if (name.rfind(p, 0) == 0) return 0.1f;
  if (name.rfind("bottle", 0) == 0) return 0.2f;
  return 1.0f;
}

bool endsWith(const std::string& s, const char* suffix) {
  size_t n = std::strlen(suffix);
  return s.size() >= n && s.compare(s.size() - n, n, suffix) == 0;
}

void loadAny(const std::string& path, Mesh* m) {
  if (endsWith(path, ".baf"))
    loadAnimatedMesh(path.c_str(), m);
  else
    loadStaticMesh(path.c_str(), m);
}

int usage() {
  std::fprintf(stderr,
               "usage: preview-mesh FILE.bof|FILE.baf [--texture FILE.raw] [--out strip.png]\n"
               "         [--camera x y z a b c] [--place x y z a b c] [--scale k] [--frames p0,p1,...]\n"
               "         [--sphere] [--aniso] [--nocull] [--blend add|alpha|mul] [--with FILE [--with-texture F]]\n");
  return 2;
}

bool parse(int argc, char** argv, Options& o) {
  for (int i = 1; i < argc; ++i) {
    std::string a = argv[i];
    auto six = [&](float* dst) {
      if (i + 6 >= argc) return false;
      for (int k = 0; k < 6; ++k) dst[k] = std::strtof(argv[++i], nullptr);
      return true;
    };
    if (a == "--texture" && i + 1 < argc) o.texture = argv[++i];
    else if (a == "--out" && i + 1 < argc) o.out = argv[++i];
    else if (a == "--camera") { if (!six(o.camera)) return false; o.haveCamera = true; }
    else if (a == "--place") { if (!six(o.place)) return false; o.havePlace = true; }
    else if (a == "--scale" && i + 1 < argc) o.scale = std::strtof(argv[++i], nullptr);
    else if (a == "--frames" && i + 1 < argc) {
      for (char* p = argv[++i]; *p;) {
        char* end;
        o.frames.push_back(std::strtof(p, &end));
        if (end == p) return false;
        p = *end == ',' ? end + 1 : end;
      }
    }
    else if (a == "--sphere") o.sphere = true;
    else if (a == "--aniso") o.aniso = true;
    else if (a == "--nocull") o.cull = false;
    else if (a == "--blend" && i + 1 < argc) o.blend = argv[++i];
    else if (a == "--with" && i + 1 < argc) {
      o.withFiles.push_back(argv[++i]);
      o.withTextures.push_back("");
      o.withSphere.push_back(0);
      o.withAniso.push_back(0);
      o.withPlace.push_back({});
    }
    else if (a == "--with-place" && !o.withFiles.empty()) {
      float p[6];
      if (!six(p)) return false;
      o.withPlace.back().assign(p, p + 6);
    }
    else if (a == "--with-sphere" && !o.withFiles.empty()) o.withSphere.back() = 1;
    else if (a == "--with-aniso" && !o.withFiles.empty()) o.withAniso.back() = 1;
    else if (a == "--with-texture" && i + 1 < argc && !o.withTextures.empty()) o.withTextures.back() = argv[++i];
    else if (a[0] != '-' && o.file.empty()) o.file = a;
    else return false;
  }
  return !o.file.empty();
}

}  // namespace

static Mesh mainMesh;
static Mesh extraMeshes[8];

int main(int argc, char** argv) {
  Options o;
  if (!parse(argc, argv, o) || o.withFiles.size() > 8) return usage();
  if (!std::getenv("SDL_VIDEODRIVER")) setenv("SDL_VIDEODRIVER", "offscreen", 1);
  if (!createDisplay(0)) {
    std::fprintf(stderr, "preview-mesh: no GL display\n");
    return 1;
  }
  initGlState();
  if (o.aniso) setShaderTexture(loadRawTexture("data/blue_aniso_64x64.raw"));

  loadAny(o.file, &mainMesh);
  if (mainMesh.vertexCount <= 0) {
    std::fprintf(stderr, "preview-mesh: %s holds no mesh\n", o.file.c_str());
    return 1;
  }
  scaleMesh(&mainMesh, o.scale > 0 ? o.scale : showScale(o.file));
  computeNormals(&mainMesh);
  computeTangents(&mainMesh);
  if (!o.texture.empty()) setMeshTexture(&mainMesh, loadRawTexture(o.texture.c_str()));
  for (size_t k = 0; k < o.withFiles.size(); ++k) {
    loadAny(o.withFiles[k], &extraMeshes[k]);
    scaleMesh(&extraMeshes[k], showScale(o.withFiles[k]));
    computeNormals(&extraMeshes[k]);
    computeTangents(&extraMeshes[k]);
    if (!o.withTextures[k].empty()) setMeshTexture(&extraMeshes[k], loadRawTexture(o.withTextures[k].c_str()));
  }

  if (!o.haveCamera) {
    // Frame keyframe 0: centre of its bounds, seen from the front and 15 degrees above.
    float lo[3] = {1e30f, 1e30f, 1e30f}, hi[3] = {-1e30f, -1e30f, -1e30f};
    for (int i = 0; i < mainMesh.vertexCount; ++i) {
      const float* p = &mainMesh.vertices[i].x;
      for (int k = 0; k < 3; ++k) lo[k] = std::fmin(lo[k], p[k]), hi[k] = std::fmax(hi[k], p[k]);
    }
    float c[3], r = 0;
    for (int k = 0; k < 3; ++k) c[k] = (lo[k] + hi[k]) / 2 + o.place[k], r = std::fmax(r, hi[k] - lo[k]);
    float d = r * 1.3f + 6, e = 15 * 3.14159265f / 180;
    o.camera[0] = c[0], o.camera[1] = c[1] + d * std::sin(e), o.camera[2] = c[2] - d * std::cos(e);
    o.camera[3] = 0, o.camera[4] = -15, o.camera[5] = 0;
  }
  if (o.frames.empty())
    for (int k = 0; k < mainMesh.frameCount; ++k) o.frames.push_back((float)k);

  setProjection(&camera, 5, 1000, 240.0f);
  applyProjection(&camera);
  const int pw = 256, ph = 192, n = (int)o.frames.size();
  std::vector<unsigned char> strip((size_t)pw * n * ph * 3);
  std::vector<unsigned char> shot(1024 * 768 * 3);
  for (int f = 0; f < n; ++f) {
    clearColorBuffer(64, 64, 72);
    clearDepthBuffer();
    setCamera(o.camera[0], o.camera[1], o.camera[2], o.camera[3], o.camera[4], o.camera[5]);
    resetRenderQueue();
    placeMesh(&mainMesh, o.place[0], o.place[1], o.place[2], o.place[3], o.place[4], o.place[5]);
    mainMesh.framePosition = o.frames[f];
    // Companion meshes share the main mesh's placement and animation position.
    for (size_t k = 0; k < o.withFiles.size(); ++k) {
      Mesh* e = &extraMeshes[k];
      const float* q = o.withPlace[k].empty() ? o.place : o.withPlace[k].data();
      placeMesh(e, q[0], q[1], q[2], q[3], q[4], q[5]);
      e->framePosition = std::fmin(o.frames[f], (float)(e->frameCount - 1));
      if (o.withSphere[k]) queueCommand(SphereMapOn);
      if (o.withAniso[k]) queueCommand(AnisoShaderOn);
      queueMesh(e);
      if (o.withAniso[k]) queueCommand(AnisoShaderOff);
      if (o.withSphere[k]) queueCommand(SphereMapOff);
    }
    if (!o.cull) queueCommand(CullOff);
    if (o.blend == "add") queueCommand(BlendAdditive);
    if (o.blend == "alpha") queueCommand(BlendAlpha);
    if (o.blend == "mul") queueCommand(BlendMultiply);
    if (o.sphere) queueCommand(SphereMapOn);
    if (o.aniso) queueCommand(AnisoShaderOn);
    queueMesh(&mainMesh);
    if (o.aniso) queueCommand(AnisoShaderOff);
    if (o.sphere) queueCommand(SphereMapOff);
    if (!o.blend.empty()) queueCommand(BlendOff);
    if (!o.cull) queueCommand(CullOn);
    drawRenderQueue();
    glFinish();
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, 1024, 768, GL_RGB, GL_UNSIGNED_BYTE, shot.data());
    // 4 x 4 box filter; GL rows run bottom-up.
    for (int y = 0; y < ph; ++y)
      for (int x = 0; x < pw; ++x)
        for (int c = 0; c < 3; ++c) {
          int sum = 0;
          for (int dy = 0; dy < 4; ++dy)
            for (int dx = 0; dx < 4; ++dx) sum += shot[((size_t)(767 - (y * 4 + dy)) * 1024 + x * 4 + dx) * 3 + c];
          strip[((size_t)y * pw * n + f * pw + x) * 3 + c] = (unsigned char)(sum / 16);
        }
    swapFrame();
  }
  if (!writeRgbPng(o.out, strip.data(), pw * n, ph)) {
    std::fprintf(stderr, "preview-mesh: cannot write %s\n", o.out.c_str());
    return 1;
  }
  std::fprintf(stderr, "preview-mesh: %s: %d vertices, %d triangles, %d keyframes -> %s\n", o.file.c_str(),
               mainMesh.vertexCount, mainMesh.triangleCount, mainMesh.frameCount, o.out.c_str());
  return 0;
}
