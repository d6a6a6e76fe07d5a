// The mesh generator's object groups; writeMeshes (meshes.cpp) calls each in turn.
#pragma once
#include <string>

void writeHouseMeshes(const std::string& outDir);   // H_*, envahipoilA/B (meshes_house.cpp)
void writeHairMeshes(const std::string& outDir);    // furball, root hair, glow, carpet (meshes_hair.cpp)
void writePropMeshes(const std::string& outDir);    // words, TV, bottle, bubble, root, razors, skin, clip, greetings (meshes_props.cpp)

// Radius of the skin patch the hair root stands on: root.bof is built on it, and the root's
// long crop grows from all over it.
constexpr float ROOT_SKIN_R = 40.0f;
