// Loading a .raw picture into the lowest free slot of the texture table, uploaded with its
// mipmaps by the back end in use (render/picture_path.h: uploadTexturePicture).
#include "render/render_internal.h"

TextureId loadRawTexture(const char* fileName) {
  if (!textureTableReady) {
    releaseTextures();
    textureTableReady = 1;
  }
  int slot = 0;
  while (slot < TEXTURE_TABLE_SIZE && TextureTable[slot] != 0) ++slot;
  if (slot == TEXTURE_TABLE_SIZE) return -1;
  RawImage image{nullptr, 0, 0};
  loadRawImage(fileName, &image);
  GLuint name = 0;
  glGenTextures(1, &name);
  TextureTable[slot] = name;
  glBindTexture(GL_TEXTURE_2D, name);
  // Without picture data (a name without a size, no memory) the texture object stays empty.
  uploadTexturePicture(&image);
  if (image.pixels) ++textureUploads;
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
  if (image.pixels) freeRawImage(&image);
  return slot;
}
