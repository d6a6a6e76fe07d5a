// The properties each fuzz target checks on one input, shared with the regression tests
// (tests/regress) so that every input a fuzzer once broke on is replayed by ctest.
// Each check returns null when every property holds, else what went wrong.
#pragma once
#include <cstddef>
#include <cstdint>

// .bof / .baf bytes: the parser leaves either an empty Mesh or one whose counts match its
// arrays and whose triangles index inside a frame; whitespace of any kind separates tokens
// alike; scaling, normals, tangents, keyframe blending and the wave stay inside the block.
const char* checkStaticMeshInput(const uint8_t* data, size_t size);
const char* checkAnimatedMeshInput(const uint8_t* data, size_t size);

// A texture file name (the bytes up to the first line feed) and the file's contents (the
// rest): the size taken from the name is 1..4096 on each side or refused; the pixel block
// holds the file's bytes followed by zeros. Pictures above MAX_FUZZ_PICTURE_BYTES are only
// sized, not read, to keep each run's memory small.
constexpr size_t MAX_FUZZ_PICTURE_BYTES = 4u << 20;
const char* checkTextureInput(const uint8_t* data, size_t size, const char* scratchFile);

// A shader source file: the text is the file's bytes with each CR LF pair turned into LF,
// zero-terminated right after them.
const char* checkShaderInput(const uint8_t* data, size_t size, const char* scratchFile);

// A bass envelope file: the table holds the file's first 8019 bytes and zeros after them;
// lookups at any scene time stay inside the table.
const char* checkBassInput(const uint8_t* data, size_t size, const char* scratchFile);

// Writes the bytes to path (replacing it); false when the file cannot be written.
bool writeScratchFile(const char* path, const uint8_t* data, size_t size);
