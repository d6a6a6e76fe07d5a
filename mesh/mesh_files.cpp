// The .bof (static) and .baf (keyframe-animated) text mesh loaders. Each file is read into
// memory in one block and parsed with a tokenizer over its bytes: whitespace-separated
// tokens, counts and indices as unsigned decimals (optional '+', no '-'), reals as decimal
// numbers with optional sign, fraction and exponent (no inf, nan or hex). A token that is
// anything else, a file that ends early, counts beyond what the file could hold, or a
// triangle index outside the frame make the file malformed: the Mesh is left empty and one
// line on standard error says why. Owns no globals.
#include <cerrno>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "mesh/mesh.h"

static const char FILE_NOT_FOUND_MESSAGE[] = "EEEEEEEEEEEK!!!     file not found!!";
static const char NO_MEMORY_MESSAGE[] = "EEEEEEEEEEEK!!!     not nuff mem!!";
static const char WRONG_VERTEX_MESSAGE[] = "!!!!!!!WTF! i'm not reading what i'm supposed too!";
// The loaders' messages go to stdout flushed at once, so they show while loading goes on,
// in order with stderr, not when the show exits.
static void loaderMessage(const char* text) {
  fputs(text, stdout);
  fflush(stdout);
}
static const size_t MAX_HEADER_LENGTH = 11;
// Every record token needs at least one character and one whitespace byte before it.
static const uint64_t MIN_VERTEX_RECORD_BYTES = 12;
static const uint64_t MIN_TRIANGLE_RECORD_BYTES = 8;

// The C locale's whitespace: space, \t, \n, \v, \f, \r.
static const struct SpaceTable {
  bool space[256];
  constexpr SpaceTable() : space() {
    space[(unsigned char)' '] = space[(unsigned char)'\t'] = space[(unsigned char)'\n'] = true;
    space[(unsigned char)'\v'] = space[(unsigned char)'\f'] = space[(unsigned char)'\r'] = true;
  }
} spaceTable;

static inline bool isSpace(char c) { return spaceTable.space[(unsigned char)c]; }

struct MeshReader {
  const char* cursor;
  const char* end;
  const char* name;                   // file name for messages
  const char* what;                   // the item being read, for messages
  uint64_t record;                    // its record number
  bool failed;
};

// One line on standard error: the file, the item and the problem.
static void reportMalformed(MeshReader* reader, const char* problem, const char* token,
                            size_t tokenLength) {
  if (reader->failed) return;
  reader->failed = true;
  if (tokenLength > 32) tokenLength = 32;
  if (token)
    fprintf(stderr, "%s: malformed mesh file: %s in %s %llu: \"%.*s\"\n", reader->name, problem,
            reader->what, (unsigned long long)reader->record, (int)tokenLength, token);
  else
    fprintf(stderr, "%s: malformed mesh file: %s in %s %llu\n", reader->name, problem,
            reader->what, (unsigned long long)reader->record);
}

// Start of the next token, or null at the end of the bytes (reported as an early end).
static inline const char* nextToken(MeshReader* reader) {
  const char* p = reader->cursor;
  while (p < reader->end && isSpace(*p)) ++p;
  reader->cursor = p;
  if (p == reader->end) {
    reportMalformed(reader, "file ends early", nullptr, 0);
    return nullptr;
  }
  return p;
}

static inline const char* tokenEnd(const MeshReader* reader, const char* p) {
  while (p < reader->end && !isSpace(*p)) ++p;
  return p;
}

static bool readWord(MeshReader* reader, size_t maxLength) {
  const char* start = nextToken(reader);
  if (!start) return false;
  const char* stop = tokenEnd(reader, start);
  reader->cursor = stop;
  if ((size_t)(stop - start) > maxLength) {
    reportMalformed(reader, "header word longer than 11 characters", start, stop - start);
    return false;
  }
  return true;
}

// Unsigned decimal that fits 32 bits, optionally preceded by '+'.
static inline bool readUnsigned(MeshReader* reader, uint32_t* value) {
  const char* start = nextToken(reader);
  if (!start) return false;
  const char* p = start;
  if (*p == '+') ++p;
  std::from_chars_result r = std::from_chars(p, reader->end, *value);
  if (r.ec != std::errc() || (r.ptr < reader->end && !isSpace(*r.ptr))) {
    const char* stop = tokenEnd(reader, start);
    reportMalformed(reader,
                    r.ec == std::errc::result_out_of_range ? "integer too large"
                                                           : "not an unsigned integer",
                    start, stop - start);
    return false;
  }
  reader->cursor = r.ptr;
  return true;
}

#ifndef __cpp_lib_to_chars
// A C++ library without std::from_chars for floating point (emscripten's libc++ 14): the
// same decimal form through strtof on a copy of the number's characters, which holds no
// hexadecimal "0x" since only digits, '.', exponents and signs are copied.
static std::from_chars_result fromCharsReal(const char* first, const char* last, float* value) {
  char buffer[128];
  size_t length = 0;
  while (first + length < last && length + 1 < sizeof(buffer) &&
         strchr("0123456789.eE+-", first[length]) && first[length] != 0)
    ++length;
  memcpy(buffer, first, length);
  buffer[length] = 0;
  if (length == 0 || buffer[0] == '+') return {first, std::errc::invalid_argument};
  char* parsedEnd = nullptr;
  errno = 0;
  float f = strtof(buffer, &parsedEnd);
  if (parsedEnd == buffer) return {first, std::errc::invalid_argument};
  if (errno == ERANGE) return {first + (parsedEnd - buffer), std::errc::result_out_of_range};
  *value = f;
  return {first + (parsedEnd - buffer), std::errc()};
}
#endif

// Decimal real: optional sign, digits with optional fraction, optional exponent.
static inline bool readReal(MeshReader* reader, float* value) {
  const char* start = nextToken(reader);
  if (!start) return false;
  const char* p = start;
  if (*p == '+' || *p == '-') ++p;
  bool ok = p < reader->end && ((*p >= '0' && *p <= '9') || *p == '.');
  const char* numberStart = *start == '+' ? start + 1 : start;
  std::from_chars_result r{numberStart, std::errc::invalid_argument};
#ifdef __cpp_lib_to_chars
  if (ok) r = std::from_chars(numberStart, reader->end, *value, std::chars_format::general);
#else
  if (ok) r = fromCharsReal(numberStart, reader->end, value);
#endif
  if (ok && r.ec == std::errc::result_out_of_range) {
    // Too small for a float rounds toward zero as formatted input does; too large is an error.
    char buffer[128];
    const char* stop = tokenEnd(reader, start);
    size_t length = stop - start;
    if (length < sizeof(buffer)) {
      memcpy(buffer, start, length);
      buffer[length] = 0;
      char* parsedEnd = nullptr;
      float f = strtof(buffer, &parsedEnd);
      if (parsedEnd == buffer + length && f == f && f - f == 0.0f) {
        *value = f;
        r = {stop, std::errc()};
      }
    }
  }
  if (!ok || r.ec != std::errc() || (r.ptr < reader->end && !isSpace(*r.ptr))) {
    const char* stop = tokenEnd(reader, start);
    reportMalformed(reader, "not a decimal real", start, stop - start);
    return false;
  }
  reader->cursor = r.ptr;
  return true;
}

void freeMeshArrays(Mesh* mesh) {
  free(mesh->vertices);
  free(mesh->triangles);
  mesh->vertices = nullptr;
  mesh->triangles = nullptr;
  mesh->vertexCount = 0;
  mesh->triangleCount = 0;
  mesh->frameCount = 0;
}

// The state a loader leaves before and after reading: unplaced, untextured, showing slot 0.
static void resetPlacement(Mesh* mesh) {
  mesh->position[0] = mesh->position[1] = mesh->position[2] = 0.0f;
  mesh->rotationY = mesh->rotationX = mesh->rotationZ = 0.0f;
  mesh->texture = -1;
  mesh->drawSlot = 0;
}

static int failParse(Mesh* mesh, int result) {
  freeMeshArrays(mesh);
  resetPlacement(mesh);
  return result;
}

// Shared body of both formats; animated files carry a frame count and numbered vertices.
static int parseMesh(const char* bytes, size_t size, Mesh* mesh, const char* name, bool animated) {
  freeMeshArrays(mesh);
  resetPlacement(mesh);
  MeshReader reader{bytes, bytes + size, name ? name : "(mesh)", "header", 0, false};
  if (!bytes) reader.end = reader.cursor;

  uint32_t vertexCount = 0, triangleCount = 0, frameCount = 1;
  float ignored;
  if (!readWord(&reader, MAX_HEADER_LENGTH)) return failParse(mesh, MeshMalformed);
  if (!readUnsigned(&reader, &vertexCount) || !readUnsigned(&reader, &triangleCount))
    return failParse(mesh, MeshMalformed);
  if (animated && !readUnsigned(&reader, &frameCount)) return failParse(mesh, MeshMalformed);
  for (int i = 0; i < 3; ++i)
    if (!readReal(&reader, &ignored)) return failParse(mesh, MeshMalformed);

  if (frameCount == 0) {
    reportMalformed(&reader, "no keyframes", nullptr, 0);
    return failParse(mesh, MeshMalformed);
  }
  // Byte sizes that cannot be represented cannot be allocated either.
  uint64_t slots = (uint64_t)frameCount + 1;
  if (vertexCount > INT32_MAX || triangleCount > INT32_MAX || frameCount > INT32_MAX ||
      (vertexCount && slots > SIZE_MAX / sizeof(MeshVertex) / vertexCount) ||
      (uint64_t)triangleCount > SIZE_MAX / sizeof(MeshTriangle)) {
    loaderMessage(NO_MEMORY_MESSAGE);
    return failParse(mesh, MeshOutOfMemory);
  }
  // Counts the rest of the file could not possibly hold.
  uint64_t remaining = (uint64_t)(reader.end - reader.cursor);
  uint64_t vertexRecords = (uint64_t)frameCount * vertexCount;
  if (vertexRecords > remaining / MIN_VERTEX_RECORD_BYTES ||
      triangleCount > (remaining - vertexRecords * MIN_VERTEX_RECORD_BYTES) / MIN_TRIANGLE_RECORD_BYTES) {
    reader.what = "counts";
    reportMalformed(&reader, "more records than the file can hold", nullptr, 0);
    return failParse(mesh, MeshMalformed);
  }

  size_t vertexBytes = (size_t)(slots * vertexCount) * sizeof(MeshVertex);
  size_t triangleBytes = (size_t)triangleCount * sizeof(MeshTriangle);
  // Cleared, so the work slot and the normals and tangents never hold stale memory.
  MeshVertex* vertices = vertexBytes ? (MeshVertex*)calloc(1, vertexBytes) : nullptr;
  if (vertexBytes && !vertices) {
    loaderMessage(NO_MEMORY_MESSAGE);
    return failParse(mesh, MeshOutOfMemory);
  }
  MeshTriangle* triangles = triangleBytes ? (MeshTriangle*)malloc(triangleBytes) : nullptr;
  if (triangleBytes && !triangles) {
    free(vertices);
    loaderMessage(NO_MEMORY_MESSAGE);
    return failParse(mesh, MeshOutOfMemory);
  }
  mesh->vertices = vertices;
  mesh->triangles = triangles;

  reader.what = "vertex record";
  for (uint64_t r = 0; r < vertexRecords; ++r) {
    reader.record = r;
    uint32_t number;
    MeshVertex* vertex = vertices + r;
    if (!readUnsigned(&reader, &number) || !readReal(&reader, &vertex->x) ||
        !readReal(&reader, &vertex->y) || !readReal(&reader, &vertex->z) ||
        !readReal(&reader, &vertex->u) || !readReal(&reader, &vertex->v))
      return failParse(mesh, MeshMalformed);
    if (animated && number != r % vertexCount) loaderMessage(WRONG_VERTEX_MESSAGE);
  }
  reader.what = "triangle record";
  for (uint32_t t = 0; t < triangleCount; ++t) {
    reader.record = t;
    uint32_t number, a, b, c;
    if (!readUnsigned(&reader, &number) || !readUnsigned(&reader, &a) ||
        !readUnsigned(&reader, &b) || !readUnsigned(&reader, &c))
      return failParse(mesh, MeshMalformed);
    if (a >= vertexCount || b >= vertexCount || c >= vertexCount) {
      fprintf(stderr, "%s: malformed mesh file: triangle record %u has index %u, %u or %u at or above the vertex count %u\n",
              reader.name, t, a, b, c, vertexCount);
      return failParse(mesh, MeshMalformed);
    }
    // The second and third index swap places: the winding is reversed on loading.
    triangles[t] = MeshTriangle{a, c, b};
  }
  mesh->vertexCount = (int32_t)vertexCount;
  mesh->triangleCount = (int32_t)triangleCount;
  mesh->frameCount = (int32_t)frameCount;
  resetPlacement(mesh);
  return MeshParsed;
}

int parseStaticMesh(const char* bytes, size_t size, Mesh* mesh, const char* nameForMessages) {
  return parseMesh(bytes, size, mesh, nameForMessages, false);
}

int parseAnimatedMesh(const char* bytes, size_t size, Mesh* mesh, const char* nameForMessages) {
  return parseMesh(bytes, size, mesh, nameForMessages, true);
}

enum FileReadResult { FileRead, FileMissing, FileNoMemory };

// The whole file in one heap block (null for an empty file).
static int readWholeFile(const char* path, char** bytes, size_t* size) {
  *bytes = nullptr;
  *size = 0;
  FILE* file = path ? fopen(path, "rb") : nullptr;
  if (!file) return FileMissing;
  long length = -1;
  if (fseek(file, 0, SEEK_END) == 0) length = ftell(file);
  if (length < 0 || fseek(file, 0, SEEK_SET) != 0) {
    fclose(file);
    return FileMissing;
  }
  char* block = length ? (char*)malloc((size_t)length) : nullptr;
  if (length && !block) {
    fclose(file);
    return FileNoMemory;
  }
  size_t got = length ? fread(block, 1, (size_t)length, file) : 0;
  fclose(file);
  *bytes = block;
  *size = got;
  return FileRead;
}

// Drops whatever a Mesh held before, so loading twice leaks nothing.
static void releaseForLoad(Mesh* mesh) {
  if (mesh->vertices || mesh->triangles || mesh->vertexBuffer || mesh->indexBuffer)
    destroyMesh(mesh);
}

static int loadMesh(const char* path, Mesh* mesh, bool animated) {
  releaseForLoad(mesh);
  char* bytes;
  size_t size;
  int read = readWholeFile(path, &bytes, &size);
  int result = MeshParsed;
  if (read == FileMissing) {
    loaderMessage(FILE_NOT_FOUND_MESSAGE);
    freeMeshArrays(mesh);
    resetPlacement(mesh);
  } else if (read == FileNoMemory) {
    loaderMessage(NO_MEMORY_MESSAGE);
    freeMeshArrays(mesh);
    resetPlacement(mesh);
    result = MeshOutOfMemory;
  } else {
    result = parseMesh(bytes, size, mesh, path, animated);
    free(bytes);
  }
  uploadMeshBuffers(mesh);
  return read == FileMissing ? MeshFileMissing : result;
}

int loadStaticMesh(const char* path, Mesh* mesh) { return loadMesh(path, mesh, false); }

int loadAnimatedMesh(const char* path, Mesh* mesh) { return loadMesh(path, mesh, true); }
