// Property checks behind the fuzz targets and their regression tests: each feeds one input
// to a reader of the show and verifies what any input must leave behind. Out-of-bounds
// accesses themselves are caught by the sanitizers the fuzzers and tests are built with.
#include "fuzz/fuzz_checks.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <string>
#include <vector>

#include "audio/audio.h"
#include "mesh/mesh.h"
#include "render/render.h"
#include "texture/texture.h"

bool writeScratchFile(const char* path, const uint8_t* data, size_t size) {
  FILE* file = std::fopen(path, "wb");
  if (!file) return false;
  bool ok = size == 0 || std::fwrite(data, 1, size, file) == size;
  return std::fclose(file) == 0 && ok;
}

// ---- Meshes ----------------------------------------------------------------------------

static bool meshIsEmpty(const Mesh& mesh) {
  return mesh.vertexCount == 0 && mesh.triangleCount == 0 && mesh.frameCount == 0 &&
         !mesh.vertices && !mesh.triangles;
}

static const char* checkParsedMesh(const Mesh& mesh, int result, bool animated) {
  if (result != MeshParsed && result != MeshOutOfMemory && result != MeshMalformed)
    return "the parser returned an unknown result";
  if (mesh.position[0] != 0.0f || mesh.position[1] != 0.0f || mesh.position[2] != 0.0f ||
      mesh.rotationX != 0.0f || mesh.rotationY != 0.0f || mesh.rotationZ != 0.0f)
    return "the parser left a placement";
  if (mesh.texture != -1 || mesh.drawSlot != 0) return "the parser left a texture or draw slot";
  if (result != MeshParsed) return meshIsEmpty(mesh) ? nullptr : "a refused file left a non-empty Mesh";
  if (mesh.vertexCount < 0 || mesh.triangleCount < 0 || mesh.frameCount < 1)
    return "a parsed Mesh has a negative count or no frame";
  if (!animated && mesh.frameCount != 1) return "a static Mesh has more than one frame";
  if ((mesh.vertexCount > 0) != (mesh.vertices != nullptr)) return "vertex count and array disagree";
  if ((mesh.triangleCount > 0) != (mesh.triangles != nullptr))
    return "triangle count and array disagree";
  for (int t = 0; t < mesh.triangleCount; ++t) {
    const MeshTriangle& tri = mesh.triangles[t];
    if (tri.i0 >= (uint32_t)mesh.vertexCount || tri.i1 >= (uint32_t)mesh.vertexCount ||
        tri.i2 >= (uint32_t)mesh.vertexCount)
      return "a triangle indexes outside its frame";
  }
  return nullptr;
}

// Two parses of the same records agree bit for bit.
static bool sameMesh(const Mesh& a, const Mesh& b) {
  if (a.vertexCount != b.vertexCount || a.triangleCount != b.triangleCount ||
      a.frameCount != b.frameCount)
    return false;
  size_t vertexBytes = (size_t)a.frameCount * (size_t)a.vertexCount * sizeof(MeshVertex);
  size_t triangleBytes = (size_t)a.triangleCount * sizeof(MeshTriangle);
  return (vertexBytes == 0 || std::memcmp(a.vertices, b.vertices, vertexBytes) == 0) &&
         (triangleBytes == 0 || std::memcmp(a.triangles, b.triangles, triangleBytes) == 0);
}

// What the show does with a loaded Mesh, minus GL: scale, derive, blend and deform it.
static void exerciseMesh(Mesh* mesh, bool animated) {
  scaleMesh(mesh, 0.1f);
  computeNormals(mesh);
  computeTangents(mesh);
  const float frames = (float)mesh->frameCount;
  const float positions[] = {0.0f, 0.5f, -0.5f, -2.75f, frames - 0.01f, frames, frames + 1.25f,
                             1e30f, -1e30f, std::numeric_limits<float>::quiet_NaN(),
                             std::numeric_limits<float>::infinity()};
  for (float t : positions) interpolateMeshFrame(mesh, t);
  if (!animated) {
    waveMesh(mesh, 0.3f, 0.02f, 5.0f, 2.5f);
    computeNormals(mesh, 1);
    computeTangents(mesh, 1);
  }
}

static const char* checkMeshInput(const uint8_t* data, size_t size, bool animated) {
  int (*parse)(const char*, size_t, Mesh*, const char*) = animated ? parseAnimatedMesh : parseStaticMesh;
  const char* bytes = (const char*)data;
  Mesh mesh{};
  int result = parse(bytes, size, &mesh, "fuzz-input");
  const char* problem = checkParsedMesh(mesh, result, animated);

  if (!problem) {
    // Any run of C-locale whitespace separates tokens alike: turn each into a line feed.
    std::vector<char> respaced(bytes, bytes + size);
    for (char& c : respaced)
      if (c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f') c = '\n';
    Mesh again{};
    int againResult = parse(respaced.data(), respaced.size(), &again, "fuzz-input");
    if (againResult != result || !sameMesh(mesh, again))
      problem = "the same tokens with other whitespace parse differently";
    freeMeshArrays(&again);
  }
  if (!problem && result == MeshParsed) exerciseMesh(&mesh, animated);

  // Parsing into a Mesh that already holds arrays drops them first.
  if (!problem) {
    int second = parse(bytes, size, &mesh, "fuzz-input");
    if (second != result) problem = "a second parse into the same Mesh gave another result";
  }
  freeMeshArrays(&mesh);
  if (!problem && !meshIsEmpty(mesh)) problem = "freeMeshArrays left something behind";
  return problem;
}

const char* checkStaticMeshInput(const uint8_t* data, size_t size) {
  return checkMeshInput(data, size, false);
}

const char* checkAnimatedMeshInput(const uint8_t* data, size_t size) {
  return checkMeshInput(data, size, true);
}

// ---- Textures --------------------------------------------------------------------------

const char* checkTextureInput(const uint8_t* data, size_t size, const char* scratchFile) {
  const uint8_t* newline = (const uint8_t*)std::memchr(data, '\n', size);
  size_t nameLength = newline ? (size_t)(newline - data) : size;
  std::string name((const char*)data, nameLength);   // an embedded zero ends the C string
  const uint8_t* contents = newline ? newline + 1 : data + size;
  size_t contentSize = (size_t)(data + size - contents);

  int width = -7, height = -7;
  int sized = parseTextureSize(name.c_str(), &width, &height);
  if (sized != 0 && sized != 1) return "parseTextureSize returned neither 0 nor 1";
  if (sized && (width < 1 || height < 1 || width > 4096 || height > 4096))
    return "parseTextureSize accepted a side outside 1..4096";
  if (!sized) {
    // Refused names read no file: loadRawImage leaves an empty image.
    RawImage image{(unsigned char*)1, 7, 7};
    loadRawImage(name.c_str(), &image);
    return image.pixels || image.width || image.height ? "a refused name left an image" : nullptr;
  }
  size_t bytes = (size_t)width * (size_t)height * 4;
  if (bytes > MAX_FUZZ_PICTURE_BYTES) return nullptr;
  if (!writeScratchFile(scratchFile, contents, contentSize)) return nullptr;   // not the reader's fault

  RawImage image{nullptr, 0, 0};
  readRawPixels(scratchFile, &image, width, height);
  if (!image.pixels) return "readRawPixels gave no pixels for a readable file";
  if (image.width != width || image.height != height) return "readRawPixels stored another size";
  size_t fromFile = contentSize < bytes ? contentSize : bytes;
  const char* problem = nullptr;
  if (fromFile && std::memcmp(image.pixels, contents, fromFile) != 0)
    problem = "the pixels differ from the file's bytes";
  for (size_t i = fromFile; !problem && i < bytes; ++i)
    if (image.pixels[i] != 0) problem = "the pixels past the end of the file are not zero";
  freeRawImage(&image);
  if (!problem && (image.pixels || image.width || image.height))
    problem = "freeRawImage left something behind";

  // Sizes no picture can have are refused without a block.
  const int badSizes[][2] = {{0, height}, {width, 0}, {-width, height}, {width, 4097}, {65536, 1}};
  for (const auto& bad : badSizes) {
    RawImage refused{nullptr, 0, 0};
    readRawPixels(scratchFile, &refused, bad[0], bad[1]);
    if (!problem && refused.pixels) problem = "readRawPixels made a block for an impossible size";
    freeRawImage(&refused);
  }
  return problem;
}

// ---- Shader sources --------------------------------------------------------------------

const char* checkShaderInput(const uint8_t* data, size_t size, const char* scratchFile) {
  if (!writeScratchFile(scratchFile, data, size)) return nullptr;
  std::string expected;
  expected.reserve(size);
  for (size_t i = 0; i < size; ++i) {
    if (data[i] == '\r' && i + 1 < size && data[i + 1] == '\n') continue;
    expected.push_back((char)data[i]);
  }
  char* text = (char*)1;
  readShaderFile(scratchFile, &text);
  const char* problem = nullptr;
  if (!text)
    problem = "readShaderFile gave no text for a readable file";
  else if (std::memcmp(text, expected.data(), expected.size()) != 0)
    problem = "the text differs from the file with CR LF turned into LF";
  else if (text[expected.size()] != '\0')
    problem = "the text is not terminated right after the bytes read";
  std::free(text);
  return problem;
}

// ---- Bass envelope ---------------------------------------------------------------------

const char* checkBassInput(const uint8_t* data, size_t size, const char* scratchFile) {
  if (!writeScratchFile(scratchFile, data, size)) return nullptr;
  std::memset(bassEnvelope, 0xA5, sizeof bassEnvelope);
  loadBassEnvelope(scratchFile);
  size_t fromFile = size < (size_t)BASS_ENVELOPE_SIZE ? size : (size_t)BASS_ENVELOPE_SIZE;
  if (fromFile && std::memcmp(bassEnvelope, data, fromFile) != 0)
    return "the envelope differs from the file's bytes";
  for (size_t i = fromFile; i < (size_t)BASS_ENVELOPE_SIZE; ++i)
    if (bassEnvelope[i] != 0) return "envelope entries past the end of the file are not zero";

  // Scene times taken from the input itself, any float bit pattern included.
  for (size_t i = 0; i + 4 <= size && i < 64; i += 4) {
    float u;
    std::memcpy(&u, data + i, 4);
    (void)bassEnvelopeAt(u);
  }
  const float times[] = {0.0f, 1.0f, 2.0f, 1.9999999f, 123456.7f, 3e38f, -0.25f,
                         std::numeric_limits<float>::quiet_NaN(), -std::numeric_limits<float>::infinity()};
  for (float u : times) (void)bassEnvelopeAt(u);
  return nullptr;
}
