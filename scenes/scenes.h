// Scenes: the scene clock and table, the frame sequence, the ten scene scripts and the
// inventory of assets loaded at start.
#pragma once
#include <cstdint>
#include "mesh/mesh.h"
#include "texture/texture.h"

// ---- Scene clock (scene_clock.cpp) --------------------------------------------------------
// A scene's times: t in whole milliseconds since the scene's start, and u = t * 0.0005, one
// unit per 2000 ms (the unit the scene table counts in).
constexpr int SCENE_TABLE_SIZE = 10;
struct SceneTableEntry {
  int32_t start;                      // in units of 2000 ms
  int32_t scene;
};
extern const SceneTableEntry SceneTable[SCENE_TABLE_SIZE];
constexpr int32_t SCENE_START_UNIT_MS = 2000;   // SceneTable's starts count in these
extern int32_t sceneIndex;            // table index found by the last call, -1 before the first entry
extern int32_t sceneStart;            // start of the current scene, ms
void sceneClock(int32_t elapsed, int32_t& scene, int32_t& t, float& u);
// Start of table entry `index` in ms, and its end: the next entry's start, or the show's end.
inline int32_t sceneStartMs(int index) { return SceneTable[index].start * SCENE_START_UNIT_MS; }
int32_t sceneEndMs(int index);

// ---- Frame sequence (frame.cpp) -----------------------------------------------------------
// Every frame starts from this clear colour (red in the low byte, so this is cyan); the words
// scene queues no background, so it is that scene's backdrop.
constexpr int32_t FRAME_CLEAR_RGB = 0xFFFF00;
// The closing: from END_FADE_START_MS the picture fades out, q = ((elapsed - start) / 6000)^2.
constexpr int32_t END_FADE_START_MS = 178000;
constexpr float END_FADE_PER_MS = 0.00016666666f;     // 1/6000: q reaches 1 at the show's end
// Scene 1 fades in from black over its first FADE_IN_MS.
constexpr int32_t FADE_IN_MS = 8000;
constexpr float FADE_IN_PER_MS = 0.000125f;           // 1/8000
void renderFrame(int32_t elapsed);

// ---- Scene scripts (scene_NN_*.cpp): fill the render queue and set state --------------------
constexpr int SCENE_COUNT = 10;       // scenes 1..10; scene 0 is the time before the first entry
using SceneScript = void (*)(int32_t t, float u);
extern const SceneScript SceneScripts[SCENE_COUNT + 1];   // by scene number; [0] is null
void runSceneScript(int32_t scene, int32_t t, float u);   // nothing for scene 0 or out of range
void scene1Script(int32_t t, float u);
void scene2Script(int32_t t, float u);
void scene3Script(int32_t t, float u);
void scene4Script(int32_t t, float u);
void scene5Script(int32_t t, float u);
void scene6Script(int32_t t, float u);
void scene7Script(int32_t t, float u);
void scene8Script(int32_t t, float u);
void scene9Script(int32_t t, float u);
void scene10Script(int32_t t, float u);
extern int32_t noiseRandomState;
int32_t noiseRandom();                // 15-bit generator of scene 4, never reseeded
void resetNoiseRandom();              // back to its state at program start

// Music-driven animation positions, apart from the scripts so they can be checked without
// a playing soundtrack.
float scene3HairPosition(float level, float u);   // quilt hair from bandLevel(20, 90)
float scene8HairPosition(float level);            // hair from bandLevel(2500, 3500)

// 1 above 1, else 0 below 0, else x (the upper bound is tested first).
inline double clamp01(double x) { return x > 1 ? 1 : x < 0 ? 0 : x; }

// ---- Asset inventory (assets.cpp) ---------------------------------------------------------
extern Mesh furballMesh, spchMesh, hParts[6], envahipoilAMesh, envahipoilBMesh, bottleMesh,
    bublMesh, rootMesh, mognMesh, poildebassMesh, poilglowMesh, teleMesh, teleChrmMesh,
    teleNoizMesh, rasoirplatEnvMesh, rasoirplatMancheMesh, tapisMesh, r2LameMesh, r2ManchMesh,
    r2PlasMesh, skinMesh, clipMesh, grtzMesh;
extern TextureId loadingTex, titreTex, fondShampooTex, bgGrnTex, fondBleuCoinTex, fondBleuBasTex,
    fondBleuCentreBasTex, hHous1Tex, hHous2Tex, hPort1Tex, hPort2Tex, bottleEnvTex, bords2Tex,
    whiteTex;
void loadAssets();
void freeAssets();
// Every Mesh's placement, animation position, texture and shown slot, and the camera, back to
// what loadAssets left.
void resetAssetState();

// ---- Time jump (time_jump.cpp) ------------------------------------------------------------
// Brings the state that carries from frame to frame to what a straight run has at `elapsed`
// (the generators to their start), so the next renderFrame(elapsed) is a frame a straight
// run could show. Works on the CPU alone: no frame is drawn.
void jumpShowTo(int32_t elapsed);
// Where frames at a fixed rate (a capture's, the page's stills) must start to reach a frame
// at `elapsed` exactly as a straight run shows it: `elapsed` itself, except on the noise
// screen at the end of scene 4, whose generator every frame there advances: there it is the
// screen's start, before which nothing has touched that generator.
int32_t straightRunStart(int32_t elapsed);
// Frame k of a run at `fps` frames a second has the elapsed time round(k * 1000 / fps).
int32_t fixedRateElapsed(long k, int fps);
long firstFixedRateFrameAt(int32_t ms, int fps);   // the first frame at or after `ms`
