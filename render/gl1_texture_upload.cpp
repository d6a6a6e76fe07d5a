// The GL 1.x back end's texture upload: level 0, then the whole chain from GLU.
#include <GL/glu.h>

#include "render/gl1.h"

void gl1UploadTexturePicture(const RawImage* image) {
  if (!image->pixels) return;
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA8, image->width, image->height, 0, GL_RGBA, GL_UNSIGNED_BYTE,
               image->pixels);
  gluBuild2DMipmaps(GL_TEXTURE_2D, GL_RGBA8, image->width, image->height, GL_RGBA, GL_UNSIGNED_BYTE,
                    image->pixels);
}
