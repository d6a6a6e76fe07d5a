// The shader back end's hair shader: the data set's two GLSL 1.10 sources, written for the
// fixed pipeline, translated at load for GLSL ES 3.00 (or 3.30 core) by a prelude that
// supplies the fixed-function built-ins they may use, then compiled and linked with the
// messages of the GL 1.x path ("Vert Shader Compile Error", "Frag Shader Compile Error",
// "Shader Linking Error"). After any failure the hair is drawn as the GL 1.x path draws it
// after a failed build: by the fixed stand-in, its tangent as colour. Owns the hair program
// and its uniform locations.
#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "platform/platform.h"
#include "render/es3.h"

namespace {

GLuint hairProgram;
bool hairLinked, hairOn;
GLint lightVectorAt = -1, texture0At = -1, texture1At = -1, modelViewAt = -1, projectionAt = -1,
      modelViewProjectionAt = -1, normalMatrixAt = -1;

// The built-ins the prelude supplies, and what each becomes. Stage: 0 both, 1 vertex only,
// 2 fragment only.
struct Rename {
  const char* from;
  const char* to;
  int stage;
};
const Rename RENAMES[] = {
    {"gl_ModelViewMatrix", "showModelViewMatrix", 0},
    {"gl_ProjectionMatrix", "showProjectionMatrix", 0},
    {"gl_ModelViewProjectionMatrix", "showModelViewProjectionMatrix", 0},
    {"gl_NormalMatrix", "showNormalMatrix", 0},
    {"gl_TexCoord", "showTexCoord", 0},
    {"texture2D", "texture", 0},
    {"texture2DProj", "textureProj", 0},
    {"ftransform", "showFtransform", 1},
    {"gl_Vertex", "showVertex", 1},
    {"gl_Normal", "showNormal", 1},
    {"gl_Color", "showColor", 1},
    {"gl_MultiTexCoord0", "showMultiTexCoord0", 1},
    {"attribute", "in", 1},
    {"gl_FragColor", "showFragColor", 2},
};
// Built-ins GLSL ES 3.00 has itself, left as they are.
const char* const KEPT[] = {"gl_Position", "gl_PointSize", "gl_FragCoord", "gl_FrontFacing", "gl_PointCoord",
                            "gl_FragDepth", "gl_VertexID", "gl_InstanceID", "gl_DepthRange"};

const char* const VERTEX_PRELUDE =
    "in vec4 showVertex;\n"
    "in vec3 showNormal;\n"
    "in vec4 showColor;\n"
    "in vec4 showMultiTexCoord0;\n"
    "uniform mat4 showModelViewMatrix, showProjectionMatrix, showModelViewProjectionMatrix;\n"
    "uniform mat3 showNormalMatrix;\n"
    "out vec4 showTexCoord[1];\n"
    "vec4 showFtransform() { return showModelViewProjectionMatrix * showVertex; }\n"
    "#line 1\n";
const char* const FRAGMENT_PRELUDE =
    "uniform mat4 showModelViewMatrix, showProjectionMatrix, showModelViewProjectionMatrix;\n"
    "uniform mat3 showNormalMatrix;\n"
    "in vec4 showTexCoord[1];\n"
    "out vec4 showFragColor;\n"
    "#line 1\n";

bool identifierStart(char c) { return std::isalpha((unsigned char)c) || c == '_'; }
bool identifierPart(char c) { return std::isalnum((unsigned char)c) || c == '_'; }

// A growing heap text.
struct Text {
  char* bytes;
  size_t length, capacity;
};

bool append(Text* text, const char* from, size_t count) {
  if (text->length + count + 1 > text->capacity) {
    size_t capacity = (text->length + count + 1) * 2;
    char* bytes = (char*)std::realloc(text->bytes, capacity);
    if (!bytes) return false;
    text->bytes = bytes;
    text->capacity = capacity;
  }
  std::memcpy(text->bytes + text->length, from, count);
  text->length += count;
  text->bytes[text->length] = '\0';
  return true;
}

bool appendText(Text* text, const char* from) { return append(text, from, std::strlen(from)); }

}  // namespace

char* translateShaderSource(const char* source, bool fragment, char* problem, size_t problemSize) {
  problem[0] = '\0';
  Text out{nullptr, 0, 0};
  bool ok = appendText(&out, es3ShaderPrefix()) && appendText(&out, fragment ? FRAGMENT_PRELUDE : VERTEX_PRELUDE);
  int line = 1;
  bool lineStart = true;
  for (const char* p = source; ok && *p;) {
    if (p[0] == '/' && p[1] == '/') {   // a comment to the end of the line, as it is
      const char* end = std::strchr(p, '\n');
      size_t count = end ? (size_t)(end - p) : std::strlen(p);
      ok = append(&out, p, count);
      p += count;
      continue;
    }
    if (p[0] == '/' && p[1] == '*') {
      const char* end = std::strstr(p + 2, "*/");
      size_t count = end ? (size_t)(end + 2 - p) : std::strlen(p);
      for (size_t i = 0; i < count; ++i) line += p[i] == '\n';
      ok = append(&out, p, count);
      p += count;
      continue;
    }
    if (lineStart && (*p == ' ' || *p == '\t')) {
      ok = append(&out, p++, 1);
      continue;
    }
    if (lineStart && std::strncmp(p, "#version", 8) == 0) {   // the prefix has its own
      while (*p && *p != '\n') ++p;
      continue;
    }
    if (identifierStart(*p)) {
      const char* start = p;
      while (identifierPart(*p)) ++p;
      size_t count = (size_t)(p - start);
      const char* replacement = nullptr;
      for (const Rename& rename : RENAMES)
        if (std::strlen(rename.from) == count && std::strncmp(start, rename.from, count) == 0 &&
            (rename.stage == 0 || rename.stage == (fragment ? 2 : 1)))
          replacement = rename.to;
      if (count == 7 && std::strncmp(start, "varying", 7) == 0) replacement = fragment ? "in" : "out";
      if (!replacement && count > 3 && std::strncmp(start, "gl_", 3) == 0) {
        bool kept = count > 6 && std::strncmp(start, "gl_Max", 6) == 0;
        for (const char* name : KEPT) kept = kept || (std::strlen(name) == count && std::strncmp(start, name, count) == 0);
        if (!kept) {
          std::snprintf(problem, problemSize,
                        "0:%d: %.*s is not supplied on the OpenGL ES 3.0 picture path (it supplies the "
                        "matrices, gl_NormalMatrix, ftransform(), gl_Vertex, gl_Normal, gl_Color, "
                        "gl_MultiTexCoord0, gl_TexCoord, gl_FragColor and texture2D)",
                        line, (int)count, start);
          std::free(out.bytes);
          return nullptr;
        }
      }
      ok = replacement ? appendText(&out, replacement) : append(&out, start, count);
      lineStart = false;
      continue;
    }
    if (*p == '\n') {
      ++line;
      lineStart = true;
    } else {
      lineStart = false;
    }
    ok = append(&out, p++, 1);
  }
  if (!ok) {
    std::snprintf(problem, problemSize, "not enough memory to translate the shader");
    std::free(out.bytes);
    return nullptr;
  }
  return out.bytes;
}

// Compiles one translated stage; a source that cannot be translated, or that the driver does
// not compile, is shown in a box under the caption, as the GL 1.x path shows the driver's log.
static GLuint compileHairStage(GLenum stage, const char* path, const char* caption) {
  GLuint shader = ext::glCreateShader(stage);
  char* text = nullptr;
  readShaderFile(path, &text);
  char problem[512];
  char* translated = translateShaderSource(text ? text : "", stage == GL_FRAGMENT_SHADER, problem, sizeof problem);
  std::free(text);
  if (!translated) {
    showMessageBox(caption, problem, 1);
    return shader;                    // left without source: it fails to link, as it would
  }
  const char* source = translated;
  ext::glShaderSource(shader, 1, &source, nullptr);
  ext::glCompileShader(shader);
  std::free(translated);
  GLint status = 0;
  ext::glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (!status) showMessageBox(caption, es3InfoLog(shader, false), 1);
  return shader;
}

void loadEs3HairShader() {
  es3ReleaseHairShader();
  GLuint vertex = compileHairStage(GL_VERTEX_SHADER, hairShaderPath(0), "Vert Shader Compile Error");
  GLuint fragment = compileHairStage(GL_FRAGMENT_SHADER, hairShaderPath(1), "Frag Shader Compile Error");
  // A compile error does not stop the build: the objects are linked as they are.
  static const char* const attributes[4] = {"showVertex", "showMultiTexCoord0", "showNormal", "showColor"};
  hairProgram = es3LinkProgram(vertex, fragment, attributes, &hairLinked);
  ext::glDeleteShader(vertex);        // freed with the program
  ext::glDeleteShader(fragment);
  if (!hairLinked) {
    showMessageBox("Shader Linking Error", es3InfoLog(hairProgram, true), 1);
    return;                           // an unlinked program has no uniforms to look up
  }
  lightVectorAt = ext::glGetUniformLocation(hairProgram, "lightVector");
  texture0At = ext::glGetUniformLocation(hairProgram, "Texture0");
  texture1At = ext::glGetUniformLocation(hairProgram, "Texture1");
  modelViewAt = ext::glGetUniformLocation(hairProgram, "showModelViewMatrix");
  projectionAt = ext::glGetUniformLocation(hairProgram, "showProjectionMatrix");
  modelViewProjectionAt = ext::glGetUniformLocation(hairProgram, "showModelViewProjectionMatrix");
  normalMatrixAt = ext::glGetUniformLocation(hairProgram, "showNormalMatrix");
}

bool es3HairShaderOn() { return hairOn; }

void es3EnableHairShader() {
  // Without a linked program drawing stays with the fixed stand-in.
  if (!hairProgram || !hairLinked) return;
  es3UseProgram(hairProgram);
  float light[4];
  hairLightVector(light);
  if (lightVectorAt != -1) ext::glUniform4f(lightVectorAt, light[0], light[1], light[2], 0.0f);
  if (texture0At != -1) ext::glUniform1i(texture0At, 0);
  if (texture1At != -1) ext::glUniform1i(texture1At, 1);
  hairOn = true;
}

void es3DisableHairShader() { hairOn = false; }

void es3SetHairMatrices(const glm::mat4& modelView) {
  es3UseProgram(hairProgram);
  glm::mat4 modelViewProjection = es3State.projection * modelView;
  glm::mat3 normalMatrix = glm::inverseTranspose(glm::mat3(modelView));
  if (modelViewAt != -1) ext::glUniformMatrix4fv(modelViewAt, 1, GL_FALSE, glm::value_ptr(modelView));
  if (projectionAt != -1) ext::glUniformMatrix4fv(projectionAt, 1, GL_FALSE, glm::value_ptr(es3State.projection));
  if (modelViewProjectionAt != -1)
    ext::glUniformMatrix4fv(modelViewProjectionAt, 1, GL_FALSE, glm::value_ptr(modelViewProjection));
  if (normalMatrixAt != -1) ext::glUniformMatrix3fv(normalMatrixAt, 1, GL_FALSE, glm::value_ptr(normalMatrix));
}

void es3ReleaseHairShader() {
  if (hairProgram && ext::glDeleteProgram) es3DeleteProgram(hairProgram);
  hairProgram = 0;
  hairLinked = hairOn = false;
  lightVectorAt = texture0At = texture1At = modelViewAt = projectionAt = modelViewProjectionAt = normalMatrixAt = -1;
}
