// The hair shader pair of the show, written out as data/aniso_light.vert and .frag: a light
// of the Kajiya-Kay kind along the hair's tangent, with its diffuse and highlight terms read
// from the lookup picture blue_aniso_64x64.raw (painted in pictures_screens.cpp).
#include <cstdio>
#include <string>

#include "make_data.h"

static const char* const VERTEX_SOURCE = R"(#version 110
// Hair light, vertex stage.
//
// Inputs come from the fixed-function arrays only: the position, texture coordinate set 0
// (u, v; the third component is not used here), and the primary colour, whose rgb carries
// the hair's tangent. A vertex attribute is not clamped, so the tangent arrives with its
// sign intact.

varying vec3 eyeTangent;   // tangent in eye space (not normalised yet)
varying vec3 eyeToViewer;  // from the surface point to the eye, in eye space

void main()
{
    vec4 eyePosition = gl_ModelViewMatrix * gl_Vertex;
    // The model-view matrix holds only rotations, translations and a mirror in z, so the
    // normal matrix turns directions the same way it turns tangents.
    eyeTangent = gl_NormalMatrix * gl_Color.rgb;
    eyeToViewer = -eyePosition.xyz;
    gl_TexCoord[0] = gl_MultiTexCoord0;
    gl_Position = ftransform();
}
)";

static const char* const FRAGMENT_SOURCE = R"(#version 110
// Hair light, fragment stage (Kajiya-Kay).
//
// lightVector is the direction the light travels, taken in eye space: the program hands it
// over unchanged, so the light stays fixed relative to the viewer. (-0.37, -0.56, -0.74)
// travels down, to the left and away from the eye: the hair is lit from the upper right,
// from behind the viewer.
//
// Texture1 is the lookup table of the light: s = T.L and t = T.V, each mapped from -1..1
// onto the texel centres of the 64 x 64 picture. Its alpha holds the diffuse term, the sine
// of the angle between tangent and light; its rgb the highlight, strongest when the view
// lies on the cone of mirror directions around the hair, tinted a cool blue.
// Texture0 is the surface colour.

uniform vec4 lightVector;
uniform sampler2D Texture0;
uniform sampler2D Texture1;

varying vec3 eyeTangent;
varying vec3 eyeToViewer;

const float AMBIENT = 0.35;        // share of the surface colour that needs no light
const float LOOKUP_SCALE = 63.0 / 64.0;
const float LOOKUP_OFFSET = 0.5 / 64.0;

void main()
{
    // A mesh without tangents gives a zero vector: light it as hair running straight up.
    float tangentLength = length(eyeTangent);
    vec3 T = tangentLength > 0.00001 ? eyeTangent / tangentLength : vec3(0.0, 1.0, 0.0);
    vec3 L = -normalize(lightVector.xyz);   // toward the light
    vec3 V = normalize(eyeToViewer);        // toward the viewer

    vec2 lookup = vec2(dot(T, L), dot(T, V)) * 0.5 + 0.5;
    vec4 hairLight = texture2D(Texture1, lookup * LOOKUP_SCALE + LOOKUP_OFFSET);
    vec4 surface = texture2D(Texture0, gl_TexCoord[0].st);

    float diffuse = AMBIENT + (1.0 - AMBIENT) * hairLight.a;
    gl_FragColor = vec4(surface.rgb * diffuse + hairLight.rgb, surface.a);
}
)";

static bool writeText(const std::string& path, const char* text) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  std::string s = text;
  bool ok = std::fwrite(s.data(), 1, s.size(), f) == s.size();
  return std::fclose(f) == 0 && ok;
}

void writeShaders(const std::string& outDir) {
  for (auto [name, text] : {std::pair{"aniso_light.vert", VERTEX_SOURCE}, std::pair{"aniso_light.frag", FRAGMENT_SOURCE}}) {
    std::string path = outDir + "/" + name;
    if (!writeText(path, text)) reportWriteFailure(path);
    else progress("shaders", name);
  }
}
