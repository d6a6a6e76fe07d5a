// Placeholders until the texture code is written; each definition moves to its own file.
#include "texture/texture.h"

uint32_t TextureTable[TEXTURE_TABLE_SIZE];
int textureTableReady;

TextureId loadRawTexture(const char*) { return -1; }
void releaseTextures() {}
int parseTextureSize(const char*, int*, int*) { return 0; }
void readRawPixels(const char*, RawImage*, int, int) {}
void loadRawImage(const char*, RawImage*) {}
void freeRawImage(RawImage*) {}
uint32_t textureName(TextureId id) {
  return id >= 0 && id < TEXTURE_TABLE_SIZE ? TextureTable[id] : 0;
}
