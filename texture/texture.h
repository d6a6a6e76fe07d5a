// Textures: headerless RGBA .raw files whose size is in the file name, the 64-slot
// texture table and the upload with mipmaps.
#pragma once
#include <cstdint>

typedef int32_t TextureId;            // slot of TextureTable, -1 for none
constexpr int TEXTURE_TABLE_SIZE = 64;

struct RawImage {
  unsigned char* pixels;              // width * height * 4 bytes, owned until freeRawImage
  uint16_t height;
  uint16_t width;
};

extern uint32_t TextureTable[TEXTURE_TABLE_SIZE];   // GL texture names, 0 = free slot
extern int textureTableReady;
// Raised with every picture handed to GL, so that a copy taken from a texture can tell it is
// out of date even where a freed texture's name comes back for another picture.
extern uint32_t textureUploads;

void releaseTextures();                             // delete every texture, free every slot
void resetTextureTable();                           // releaseTextures, and textureTableReady 0 as at start
int parseTextureSize(const char* fileName, int* width, int* height); // 1 if the name holds "_WxH."
void readRawPixels(const char* fileName, RawImage* image, int width, int height);
void loadRawImage(const char* fileName, RawImage* image);
void freeRawImage(RawImage* image);
uint32_t textureName(TextureId id);   // the GL name in slot id; 0 for -1 or any id outside the table
