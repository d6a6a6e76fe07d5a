// The GL 1.x back end's render queue commands: blending, depth writes, culling, sphere-map
// texture generation, the texture override and the hair shader with its second texture unit.
#include "render/gl1.h"

void gl1PerformCommand(int32_t code) {
  if (performBlendCommand(code)) return;
  switch (code) {
    case SphereMapOn:
      glTexGeni(GL_S, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
      glTexGeni(GL_T, GL_TEXTURE_GEN_MODE, GL_SPHERE_MAP);
      glEnable(GL_TEXTURE_GEN_S);
      glEnable(GL_TEXTURE_GEN_T);
      break;
    case SphereMapOff:
      glDisable(GL_TEXTURE_GEN_S);
      glDisable(GL_TEXTURE_GEN_T);
      break;
    case OverrideTextureOn: overrideTextureActive = 1; break;
    case OverrideTextureOff: overrideTextureActive = 0; break;
    case AnisoShaderOn:
      if (ext::glActiveTextureARB) {
        ext::glActiveTextureARB(GL_TEXTURE1_ARB);
        glEnable(GL_TEXTURE_2D);
        glBindTexture(GL_TEXTURE_2D, textureName(shaderTexture));
        ext::glActiveTextureARB(GL_TEXTURE0_ARB);
      }
      shaderPassActive = 1;
      enableAnisoShader();
      break;
    case AnisoShaderOff:
      if (ext::glActiveTextureARB) {
        ext::glActiveTextureARB(GL_TEXTURE1_ARB);
        glBindTexture(GL_TEXTURE_2D, 0);
        glDisable(GL_TEXTURE_2D);
        ext::glActiveTextureARB(GL_TEXTURE0_ARB);
      }
      shaderPassActive = 0;
      disableAnisoShader();
      break;
    default: break;
  }
}
