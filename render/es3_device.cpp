// The shader back end's device: the context check, the program standing in for the fixed
// pipeline, its one vertex array object, the quad and row-jitter buffers, the white texture,
// the camera's projection, drawing a Mesh and the render queue's commands. Owns es3State and
// every GL object of this back end but the glow targets, the hair and composite programs and
// the processor tail's texture.
#include <cstddef>
#include <cstdio>
#include <cstring>

#include <glm/gtc/matrix_inverse.hpp>
#include <glm/gtc/matrix_transform.hpp>
#include <glm/gtc/type_ptr.hpp>

#include "platform/display.h"
#include "platform/platform.h"
#include "render/es3.h"

Es3State es3State;

namespace {

// The fixed pipeline as the show uses it: lighting never on, the texture environment
// GL_MODULATE, one 2D texture on unit 0 (and unit 1's texel at (0, 0) while it is enabled),
// colours clamped as the fixed pipeline clamps them.
const char* const FIXED_VERTEX =
    "in vec4 position;\n"
    "in vec4 texCoord;\n"
    "in vec3 normal;\n"
    "in vec4 colour;\n"
    "uniform mat4 modelView, projection;\n"
    "uniform mat3 normalMatrix;\n"
    "uniform bool sphereMap, rowJitter;\n"
    "uniform float rowOffset[129];\n"
    "out vec4 shade;\n"
    "out vec2 coord;\n"
    "void main() {\n"
    "  vec4 eye = modelView * position;\n"
    "  gl_Position = projection * eye;\n"
    "  shade = clamp(colour, 0.0, 1.0);\n"
    "  coord = texCoord.xy;\n"
    // The row jitter's grid carries its line in the third texture coordinate.
    "  if (rowJitter) coord.x += rowOffset[int(texCoord.z)];\n"
    "  if (sphereMap) {\n"
    "    vec3 u = normalize(eye.xyz);\n"
    "    vec3 n = normalMatrix * normal;\n"
    "    vec3 r = u - 2.0 * n * dot(n, u);\n"
    "    float m = 2.0 * sqrt(r.x * r.x + r.y * r.y + (r.z + 1.0) * (r.z + 1.0));\n"
    "    coord = vec2(r.x / m + 0.5, r.y / m + 0.5);\n"
    "  }\n"
    "}\n";
// clampRows: the texture's height where its rows wrap as GL_CLAMP (the glow levels), whose
// linear filter meets a black border beyond the first and last rows; 0 where they repeat.
const char* const FIXED_FRAGMENT =
    "uniform sampler2D texture0, texture1;\n"
    "uniform bool secondUnit, replaceColour;\n"
    "uniform float clampRows;\n"
    "in vec4 shade;\n"
    "in vec2 coord;\n"
    "out vec4 fragColour;\n"
    "void main() {\n"
    "  vec4 texel = texture(texture0, coord);\n"
    "  if (clampRows > 0.0) {\n"
    "    float t = clamp(coord.y, 0.0, 1.0);\n"
    "    texel *= clamp(min(t, 1.0 - t) * clampRows + 0.5, 0.0, 1.0);\n"
    "  }\n"
    "  vec4 c = replaceColour ? texel : texel * shade;\n"
    "  if (secondUnit) c *= texture(texture1, vec2(0.0));\n"
    "  fragColour = c;\n"
    "}\n";

GLuint fixedProgram;
GLint modelViewAt = -1, projectionAt = -1, normalMatrixAt = -1, sphereMapAt = -1, rowJitterAt = -1,
      rowOffsetAt = -1, secondUnitAt = -1, replaceAt = -1, clampRowsAt = -1;
GLuint vertexArray, quadBuffer, gridBuffer, gridIndexBuffer, whiteTexture;
constexpr int GRID_LINES = 129, GRID_INDICES = 128 * 128 * 6;
char refusal[512];

// Texture names of the table that hold no picture; names beyond it are pictures.
constexpr GLuint MOST_MARKED_NAME = 4096;
bool withoutPicture[MOST_MARKED_NAME];

// What the program in use, the stand-in's uniforms and the vertex array's attributes hold
// now, so that a draw sends only what changed: every setting is a call into the driver, and
// in a browser one that crosses into another process (about ten thousand a frame when each
// draw sent them all). Forgotten whenever a program or the vertex array is made or deleted.
struct Es3Sent {
  bool programKnown;
  GLuint program;
  int flag[4];                        // sphereMap, secondUnit, rowJitter, replaceColour; -1 unknown
  bool clampRowsKnown, projectionKnown, modelViewKnown;
  float clampRows;
  glm::mat4 projection, modelView;
  int arrayOn[4];                     // per attribute: -1 unknown, 0 off, 1 on
  bool valueKnown[4];
  glm::vec4 value[4];
};
Es3Sent sent;
enum SentFlag { FlagSphereMap, FlagSecondUnit, FlagRowJitter, FlagReplace };

void forgetSent() {
  sent = Es3Sent{};
  for (int& f : sent.flag) f = -1;
  for (int& a : sent.arrayOn) a = -1;
}

void useFixedProgram() { es3UseProgram(fixedProgram); }

void sendFlag(SentFlag which, GLint location, int value) {
  if (sent.flag[which] == value) return;
  ext::glUniform1i(location, value);
  sent.flag[which] = value;
}

void sendArrayOn(Es3Attribute attribute, bool on) {
  if (sent.arrayOn[attribute] == (on ? 1 : 0)) return;
  if (on)
    ext::glEnableVertexAttribArray(attribute);
  else
    ext::glDisableVertexAttribArray(attribute);
  sent.arrayOn[attribute] = on ? 1 : 0;
}

// The value a missing array gives every vertex.
void sendValue(Es3Attribute attribute, const glm::vec4& value) {
  sendArrayOn(attribute, false);
  if (sent.valueKnown[attribute] && sent.value[attribute] == value) return;
  ext::glVertexAttrib4f(attribute, value.r, value.g, value.b, value.a);
  sent.valueKnown[attribute] = true;
  sent.value[attribute] = value;
}

// Which glow level a texture name is, for GL_CLAMP's rows; 0 for any other texture.
float clampRowsFor(GLuint name) {
  if (!name) return 0.0f;
  for (int level = 0; level < 8; ++level)
    if (glowTargets[level] == name) {
      int width = 0, height = 0;
      glowLevelSize(level, &width, &height);
      return (float)height;
    }
  return 0.0f;
}

// Binds `name` on unit 0 as the stand-in samples it, with its clamp rows.
void bindUnit0(GLuint name) {
  glBindTexture(GL_TEXTURE_2D, es3Texture(name));
  float rows = clampRowsFor(name);
  if (sent.clampRowsKnown && sent.clampRows == rows) return;
  ext::glUniform1f(clampRowsAt, rows);
  sent.clampRowsKnown = true;
  sent.clampRows = rows;
}

// The uniforms every draw of the stand-in sets, from the state it mirrors.
void setFixedUniforms(const glm::mat4& projection, const glm::mat4& modelView) {
  if (!sent.projectionKnown || sent.projection != projection) {
    ext::glUniformMatrix4fv(projectionAt, 1, GL_FALSE, glm::value_ptr(projection));
    sent.projectionKnown = true;
    sent.projection = projection;
  }
  if (!sent.modelViewKnown || sent.modelView != modelView) {
    ext::glUniformMatrix4fv(modelViewAt, 1, GL_FALSE, glm::value_ptr(modelView));
    glm::mat3 normalMatrix = glm::inverseTranspose(glm::mat3(modelView));
    ext::glUniformMatrix3fv(normalMatrixAt, 1, GL_FALSE, glm::value_ptr(normalMatrix));
    sent.modelViewKnown = true;
    sent.modelView = modelView;
  }
  sendFlag(FlagSphereMap, sphereMapAt, es3State.sphereMap ? 1 : 0);
  sendFlag(FlagSecondUnit, secondUnitAt, es3State.secondUnit ? 1 : 0);
  sendFlag(FlagRowJitter, rowJitterAt, 0);
  sendFlag(FlagReplace, replaceAt, 0);
}

// Points the attributes at the bound array buffer: position, texture coordinates and
// (unless 0) normal and colour, with their offsets and one stride. A missing array takes
// the fixed pipeline's current value.
void pointAttributes(GLsizei stride, size_t position, size_t texCoord, int texCoordSize, size_t normal,
                     size_t colour) {
  sendArrayOn(AttributePosition, true);
  ext::glVertexAttribPointer(AttributePosition, 3, GL_FLOAT, GL_FALSE, stride, (const void*)position);
  sendArrayOn(AttributeTexCoord, true);
  ext::glVertexAttribPointer(AttributeTexCoord, texCoordSize, GL_FLOAT, GL_FALSE, stride, (const void*)texCoord);
  if (normal) {
    sendArrayOn(AttributeNormal, true);
    ext::glVertexAttribPointer(AttributeNormal, 3, GL_FLOAT, GL_FALSE, stride, (const void*)normal);
  } else {
    sendValue(AttributeNormal, glm::vec4(0.0f, 0.0f, 1.0f, 1.0f));
  }
  if (colour) {
    sendArrayOn(AttributeColour, true);
    ext::glVertexAttribPointer(AttributeColour, 3, GL_FLOAT, GL_FALSE, stride, (const void*)colour);
  } else {
    sendValue(AttributeColour, es3State.colour);
  }
}

// What the chosen context must be, or why it is not: its version, and every entry point.
bool contextFits() {
  const char* version = (const char*)glGetString(GL_VERSION);
  if (!version) version = "no version";
  bool es = std::strncmp(version, "OpenGL ES ", 10) == 0;
  int major = 0, minor = 0;
  std::sscanf(es ? version + 10 : version, "%d.%d", &major, &minor);
  bool es3 = pathRenderer() == RendererEs3;
  bool versionFits = es3 ? es && major >= 3 : !es && (major > 3 || (major == 3 && minor >= 3));
  bool entryPoints = ext::glActiveTextureARB && ext::glBindBufferARB && ext::glGenBuffersARB &&
                     ext::glBufferDataARB && ext::glDeleteBuffersARB;
#define SHOW_CHECK_ENTRY_POINT(type, name) entryPoints = entryPoints && ext::name;
  SHOW_ES3_ENTRY_POINTS(SHOW_CHECK_ENTRY_POINT)
#undef SHOW_CHECK_ENTRY_POINT
  if (versionFits && entryPoints) return true;
  const char* others = es3 ? "--renderer core or --renderer gl1" : "--renderer es3 or --renderer gl1";
  std::snprintf(refusal, sizeof refusal,
                "--renderer %s needs %s%s, and the driver made \"%s\"%s: try %s", rendererName(pathRenderer()),
                es3 ? "OpenGL ES 3.0" : "OpenGL 3.3 core", es3 ? "" : " or later", version,
                versionFits ? " without all of its functions" : "", others);
  return false;
}

}  // namespace

void es3UseProgram(GLuint program) {
  if (sent.programKnown && sent.program == program) return;
  ext::glUseProgram(program);
  sent.programKnown = true;
  sent.program = program;
}

void es3DeleteProgram(GLuint program) {
  ext::glDeleteProgram(program);
  sent.programKnown = false;          // its name may come back for another program
}

const char* pictureRefusal() { return refusal; }

const char* es3ShaderPrefix() {
  return pathRenderer() == RendererEs3 ? "#version 300 es\nprecision highp float;\nprecision highp int;\n"
                                       : "#version 330 core\n";
}

const char* es3InfoLog(GLuint object, bool program) {
  static char log[4096];
  log[0] = '\0';
  if (program)
    ext::glGetProgramInfoLog(object, sizeof log, nullptr, log);
  else
    ext::glGetShaderInfoLog(object, sizeof log, nullptr, log);
  log[sizeof log - 1] = '\0';
  return log;
}

// The info log of a shader or program object, on one line of stderr.
static void reportBuildFailure(const char* what, GLuint object, bool program) {
  char log[1024];
  std::snprintf(log, sizeof log, "%s", es3InfoLog(object, program));
  for (char* c = log; *c; ++c)
    if (*c == '\n') *c = ' ';
  std::fprintf(stderr, "the shader path's %s does not build: %s\n", what, log);
}

static GLuint compileStage(GLenum stage, const char* body) {
  GLuint shader = ext::glCreateShader(stage);
  const char* parts[2] = {es3ShaderPrefix(), body};
  ext::glShaderSource(shader, 2, parts, nullptr);
  ext::glCompileShader(shader);
  GLint status = 0;
  ext::glGetShaderiv(shader, GL_COMPILE_STATUS, &status);
  if (!status) {
    reportBuildFailure(stage == GL_VERTEX_SHADER ? "vertex stage" : "fragment stage", shader, false);
    ext::glDeleteShader(shader);
    return 0;
  }
  return shader;
}

GLuint es3LinkProgram(GLuint vertex, GLuint fragment, const char* const attributes[4], bool* linked) {
  sent.programKnown = false;
  GLuint program = ext::glCreateProgram();
  ext::glAttachShader(program, vertex);
  ext::glAttachShader(program, fragment);
  const Es3Attribute locations[4] = {AttributePosition, AttributeTexCoord, AttributeNormal, AttributeColour};
  for (int i = 0; i < 4; ++i) ext::glBindAttribLocation(program, locations[i], attributes[i]);
  ext::glLinkProgram(program);
  GLint status = 0;
  ext::glGetProgramiv(program, GL_LINK_STATUS, &status);
  *linked = status != 0;
  return program;
}

GLuint es3BuildProgram(const char* vertexSource, const char* fragmentSource) {
  GLuint vertex = compileStage(GL_VERTEX_SHADER, vertexSource);
  GLuint fragment = compileStage(GL_FRAGMENT_SHADER, fragmentSource);
  GLuint program = 0;
  if (vertex && fragment) {
    static const char* const attributes[4] = {"position", "texCoord", "normal", "colour"};
    bool linked = false;
    program = es3LinkProgram(vertex, fragment, attributes, &linked);
    if (!linked) {
      reportBuildFailure("program", program, true);
      es3DeleteProgram(program);
      program = 0;
    }
  }
  if (vertex) ext::glDeleteShader(vertex);
  if (fragment) ext::glDeleteShader(fragment);
  return program;
}

glm::mat4 es3PixelSpace() {
  return glm::ortho(0.0f, (float)DEFAULT_SCREEN_WIDTH, (float)DEFAULT_SCREEN_HEIGHT, 0.0f, 0.0f, 1.0f);
}

glm::mat4 es3UnitSpace() { return glm::ortho(0.0f, 1.0f, 1.0f, 0.0f, -1.0f, 1.0f); }

GLuint es3Texture(GLuint name) {
  if (name == 0 || (name < MOST_MARKED_NAME && withoutPicture[name])) return whiteTexture;
  return name;
}

void es3MarkTexturePicture(GLuint name, bool picture) {
  if (name < MOST_MARKED_NAME) withoutPicture[name] = !picture;
}

int es3InitGlState() {
  refusal[0] = '\0';
  if (!contextFits()) return 0;
  es3ReleaseShaderProgram();
  fixedProgram = es3BuildProgram(FIXED_VERTEX, FIXED_FRAGMENT);
  if (!fixedProgram) {
    std::snprintf(refusal, sizeof refusal, "the shader path's own program does not build on \"%s\"",
                  (const char*)glGetString(GL_VERSION));
    return 0;
  }
  useFixedProgram();
  modelViewAt = ext::glGetUniformLocation(fixedProgram, "modelView");
  projectionAt = ext::glGetUniformLocation(fixedProgram, "projection");
  normalMatrixAt = ext::glGetUniformLocation(fixedProgram, "normalMatrix");
  sphereMapAt = ext::glGetUniformLocation(fixedProgram, "sphereMap");
  rowJitterAt = ext::glGetUniformLocation(fixedProgram, "rowJitter");
  rowOffsetAt = ext::glGetUniformLocation(fixedProgram, "rowOffset");
  secondUnitAt = ext::glGetUniformLocation(fixedProgram, "secondUnit");
  replaceAt = ext::glGetUniformLocation(fixedProgram, "replaceColour");
  clampRowsAt = ext::glGetUniformLocation(fixedProgram, "clampRows");
  ext::glUniform1i(ext::glGetUniformLocation(fixedProgram, "texture0"), 0);
  ext::glUniform1i(ext::glGetUniformLocation(fixedProgram, "texture1"), 1);

  ext::glGenVertexArrays(1, &vertexArray);
  ext::glBindVertexArray(vertexArray);
  forgetSent();                       // a new program and vertex array: nothing sent yet
  ext::glGenBuffersARB(1, &quadBuffer);
  // The row jitter's grid: line r, column c at (8c, 768 - 6r) with texture coordinates
  // (c/128, r/128) and the line's number, whose offset the vertex stage adds.
  static float grid[GRID_LINES * GRID_LINES * 6];
  for (int r = 0; r < GRID_LINES; ++r)
    for (int c = 0; c < GRID_LINES; ++c) {
      float* v = grid + (r * GRID_LINES + c) * 6;
      v[0] = 8.0f * (float)c;
      v[1] = (float)DEFAULT_SCREEN_HEIGHT - 6.0f * (float)r;
      v[2] = 0.0f;
      v[3] = (float)c * 0.0078125f;
      v[4] = (float)r * 0.0078125f;
      v[5] = (float)r;
    }
  static uint32_t gridIndices[GRID_INDICES];
  int k = 0;
  for (int r = 0; r < 128; ++r)
    for (int c = 0; c < 128; ++c) {
      // The cell's corners in the GL 1.x quad's order, as two triangles of a fan.
      uint32_t a = (uint32_t)((r + 1) * GRID_LINES + c), b = a + 1;
      uint32_t d = (uint32_t)(r * GRID_LINES + c), cc = d + 1;
      const uint32_t cell[6] = {a, b, cc, a, cc, d};
      for (uint32_t index : cell) gridIndices[k++] = index;
    }
  ext::glGenBuffersARB(1, &gridBuffer);
  ext::glBindBufferARB(GL_ARRAY_BUFFER, gridBuffer);
  ext::glBufferDataARB(GL_ARRAY_BUFFER, sizeof grid, grid, GL_STATIC_DRAW);
  ext::glGenBuffersARB(1, &gridIndexBuffer);
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER, gridIndexBuffer);
  ext::glBufferDataARB(GL_ELEMENT_ARRAY_BUFFER, sizeof gridIndices, gridIndices, GL_STATIC_DRAW);

  const unsigned char white[4] = {255, 255, 255, 255};
  glGenTextures(1, &whiteTexture);
  glBindTexture(GL_TEXTURE_2D, whiteTexture);
  glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
  glTexImage2D(GL_TEXTURE_2D, 0, GL_RGBA, 1, 1, 0, GL_RGBA, GL_UNSIGNED_BYTE, white);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_NEAREST);
  glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_NEAREST);
  glBindTexture(GL_TEXTURE_2D, 0);

  // The GL 1.x path's fixed state, where this context has it.
  es3State = {glm::mat4(1.0f), glm::vec4(1.0f), false, false};
  glClearColor(0.5f, 0.5f, 0.5f, 0.5f);
  glEnable(GL_DEPTH_TEST);
  glDepthFunc(GL_LEQUAL);
  glCullFace(GL_BACK);
  glEnable(GL_CULL_FACE);
  ext::glActiveTextureARB(GL_TEXTURE0);
  loadEs3HairShader();
  useFixedProgram();
  glStateReady = 1;
  return 1;
}

void es3ReleaseShaderProgram() {
  if (!ext::glDeleteProgram) return;
  es3ReleaseHairShader();
  if (fixedProgram) es3DeleteProgram(fixedProgram);
  if (quadBuffer) ext::glDeleteBuffersARB(1, &quadBuffer);
  if (gridBuffer) ext::glDeleteBuffersARB(1, &gridBuffer);
  if (gridIndexBuffer) ext::glDeleteBuffersARB(1, &gridIndexBuffer);
  if (vertexArray) ext::glDeleteVertexArrays(1, &vertexArray);
  if (whiteTexture) glDeleteTextures(1, &whiteTexture);
  fixedProgram = quadBuffer = gridBuffer = gridIndexBuffer = vertexArray = whiteTexture = 0;
  forgetSent();
  for (bool& mark : withoutPicture) mark = false;
}

void es3ApplyProjection(Camera* cam) {
  float k = cam->zNear / cam->focal;
  es3State.projection = glm::frustum(-FRUSTUM_HALF_WIDTH * k, FRUSTUM_HALF_WIDTH * k, -FRUSTUM_HALF_HEIGHT * k,
                                     FRUSTUM_HALF_HEIGHT * k, cam->zNear, cam->zFar);
}

void es3DrawCorners(const Es3Corner corners[4]) {
  float vertices[4][5];
  for (int i = 0; i < 4; ++i) {
    vertices[i][0] = corners[i].x;
    vertices[i][1] = corners[i].y;
    vertices[i][2] = 0.0f;
    vertices[i][3] = corners[i].s;
    vertices[i][4] = corners[i].t;
  }
  ext::glBindBufferARB(GL_ARRAY_BUFFER, quadBuffer);
  ext::glBufferDataARB(GL_ARRAY_BUFFER, sizeof vertices, vertices, GL_STREAM_DRAW);
  pointAttributes(5 * sizeof(float), 0, 3 * sizeof(float), 2, 0, 0);
  glDrawArrays(GL_TRIANGLE_FAN, 0, 4);
}

void es3DrawQuad(const glm::mat4& projection, const Es3Corner corners[4], GLuint texture) {
  useFixedProgram();
  setFixedUniforms(projection, glm::mat4(1.0f));
  bindUnit0(texture);
  es3DrawCorners(corners);
}

void es3ScreenFractionQuad(float x0, float y0, float x1, float y1, GLuint texture) {
  const float w = (float)DEFAULT_SCREEN_WIDTH, h = (float)DEFAULT_SCREEN_HEIGHT;
  const Es3Corner corners[4] = {{w * x0, h * y0, x0, 1.0f - y0},
                                {w * x1, h * y0, x1, 1.0f - y0},
                                {w * x1, h * y1, x1, 1.0f - y1},
                                {w * x0, h * y1, x0, 1.0f - y1}};
  es3DrawQuad(es3PixelSpace(), corners, texture);
}

void es3DrawReplacing(GLuint texture) {
  GLboolean blend = glIsEnabled(GL_BLEND);
  glDisable(GL_BLEND);
  useFixedProgram();
  const float w = (float)DEFAULT_SCREEN_WIDTH, h = (float)DEFAULT_SCREEN_HEIGHT;
  const Es3Corner corners[4] = {{0, 0, 0, 1}, {w, 0, 1, 1}, {w, h, 1, 0}, {0, h, 0, 0}};
  setFixedUniforms(es3PixelSpace(), glm::mat4(1.0f));
  sendFlag(FlagReplace, replaceAt, 1);
  bindUnit0(texture);
  es3DrawCorners(corners);
  sendFlag(FlagReplace, replaceAt, 0);
  if (blend) glEnable(GL_BLEND);
}

static GLboolean savedDepthTest, savedCull, savedBlend;

void es3BeginScreenPass() {
  savedDepthTest = glIsEnabled(GL_DEPTH_TEST);
  savedCull = glIsEnabled(GL_CULL_FACE);
  savedBlend = glIsEnabled(GL_BLEND);
  glDisable(GL_DEPTH_TEST);
  glDisable(GL_CULL_FACE);
}

void es3EndScreenPass() {
  if (savedDepthTest) glEnable(GL_DEPTH_TEST); else glDisable(GL_DEPTH_TEST);
  if (savedCull) glEnable(GL_CULL_FACE); else glDisable(GL_CULL_FACE);
  if (savedBlend) glEnable(GL_BLEND); else glDisable(GL_BLEND);
}

void es3DrawScreenQuad(TextureId texture, float x0, float y0, float x1, float y1, int32_t mode) {
  GLboolean depthTest = glIsEnabled(GL_DEPTH_TEST), blend = glIsEnabled(GL_BLEND);
  GLint source = GL_ONE, destination = GL_ZERO;
  glGetIntegerv(GL_BLEND_SRC_RGB, &source);
  glGetIntegerv(GL_BLEND_DST_RGB, &destination);
  glDisable(GL_DEPTH_TEST);
  applyQuadMode(mode);
  const Es3Corner corners[4] = {{x0, y0, 0, 0}, {x0, y1, 0, 1}, {x1, y1, 1, 1}, {x1, y0, 1, 0}};
  es3DrawQuad(es3UnitSpace(), corners, textureName(texture));
  // As the attribute push left it: depth test, blending and its function.
  if (depthTest) glEnable(GL_DEPTH_TEST);
  if (blend) glEnable(GL_BLEND); else glDisable(GL_BLEND);
  glBlendFunc((GLenum)source, (GLenum)destination);
}

void es3DrawMesh(Mesh* mesh) {
  if (!mesh) return;
  TextureId texture = overrideTextureActive == 1 ? overrideTexture : mesh->texture;
  if (glStateReady == 0) initGlState();
  if (!ext::glBindBufferARB || !ext::glBufferDataARB || !fixedProgram) return;
  // The matrix stack's order: scale(1, 1, -1), the camera's turns and place, the mesh's
  // place and turns, each product taken on the right.
  glm::mat4 m = glm::scale(glm::mat4(1.0f), glm::vec3(1.0f, 1.0f, -1.0f));
  m = glm::rotate(m, glm::radians(camera.angleX), glm::vec3(1.0f, 0.0f, 0.0f));
  m = glm::rotate(m, glm::radians(camera.angleY), glm::vec3(0.0f, 1.0f, 0.0f));
  m = glm::rotate(m, glm::radians(camera.angleZ), glm::vec3(0.0f, 0.0f, 1.0f));
  m = glm::translate(m, glm::vec3(-camera.position[0], -camera.position[1], -camera.position[2]));
  m = glm::translate(m, glm::vec3(mesh->position[0], mesh->position[1], mesh->position[2]));
  m = glm::rotate(m, glm::radians(mesh->rotationX * RADIANS_TO_DEGREES), glm::vec3(1.0f, 0.0f, 0.0f));
  m = glm::rotate(m, glm::radians(mesh->rotationY * RADIANS_TO_DEGREES), glm::vec3(0.0f, 1.0f, 0.0f));
  m = glm::rotate(m, glm::radians(mesh->rotationZ * RADIANS_TO_DEGREES), glm::vec3(0.0f, 0.0f, 1.0f));
  es3State.colour = glm::vec4(1.0f);
  if (!meshDrawable(mesh)) return;   // an empty Mesh: placement only, nothing to draw

  bool withTangents = shaderPassActive == 1;
  if (es3HairShaderOn()) {
    es3SetHairMatrices(m);
  } else {
    useFixedProgram();
    setFixedUniforms(es3State.projection, m);
  }
  if (es3HairShaderOn())
    glBindTexture(GL_TEXTURE_2D, es3Texture(textureName(texture)));
  else
    bindUnit0(textureName(texture));
  ext::glBindBufferARB(GL_ARRAY_BUFFER, mesh->vertexBuffer);
  const MeshVertex* shown = mesh->vertices + (size_t)mesh->drawSlot * (size_t)mesh->vertexCount;
  ext::glBufferDataARB(GL_ARRAY_BUFFER, (GLsizeiptr)mesh->vertexCount * (GLsizeiptr)sizeof(MeshVertex), shown,
                       GL_DYNAMIC_DRAW);
  pointAttributes(sizeof(MeshVertex), offsetof(MeshVertex, x), offsetof(MeshVertex, u), 3,
                  offsetof(MeshVertex, nx), withTangents ? offsetof(MeshVertex, tx) : 0);
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER, mesh->indexBuffer);
  glDrawElements(GL_TRIANGLES, mesh->triangleCount * 3, GL_UNSIGNED_INT, (const void*)0);
}

void es3PerformCommand(int32_t code) {
  if (performBlendCommand(code)) return;
  switch (code) {
    case SphereMapOn: es3State.sphereMap = true; break;
    case SphereMapOff: es3State.sphereMap = false; break;
    case OverrideTextureOn: overrideTextureActive = 1; break;
    case OverrideTextureOff: overrideTextureActive = 0; break;
    case AnisoShaderOn:
      ext::glActiveTextureARB(GL_TEXTURE1);
      glBindTexture(GL_TEXTURE_2D, es3Texture(textureName(shaderTexture)));
      ext::glActiveTextureARB(GL_TEXTURE0);
      es3State.secondUnit = true;
      shaderPassActive = 1;
      es3EnableHairShader();
      break;
    case AnisoShaderOff:
      ext::glActiveTextureARB(GL_TEXTURE1);
      glBindTexture(GL_TEXTURE_2D, 0);
      ext::glActiveTextureARB(GL_TEXTURE0);
      es3State.secondUnit = false;
      shaderPassActive = 0;
      es3DisableHairShader();
      break;
    default: break;
  }
}

void es3DrawRowJitterGrid() {
  es3BeginScreenPass();
  glViewport(0, 0, screenWidth(), screenHeight());
  useFixedProgram();
  setFixedUniforms(es3PixelSpace(), glm::mat4(1.0f));
  sendFlag(FlagRowJitter, rowJitterAt, 1);
  ext::glUniform1fv(rowOffsetAt, GRID_LINES, rowOffset);
  bindUnit0(glowTargets[0]);
  ext::glBindBufferARB(GL_ARRAY_BUFFER, gridBuffer);
  pointAttributes(6 * sizeof(float), 0, 3 * sizeof(float), 3, 0, 0);
  ext::glBindBufferARB(GL_ELEMENT_ARRAY_BUFFER, gridIndexBuffer);
  glDrawElements(GL_TRIANGLES, GRID_INDICES, GL_UNSIGNED_INT, (const void*)0);
  sendFlag(FlagRowJitter, rowJitterAt, 0);
  es3EndScreenPass();
}
