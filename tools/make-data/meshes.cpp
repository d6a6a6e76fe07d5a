// writeMeshes: every .bof/.baf file of the show's data set, group by group.
#include "make_data.h"
#include "mesh_groups.h"

void writeMeshes(const std::string& outDir) {
  progress("meshes", "house");
  writeHouseMeshes(outDir);
  progress("meshes", "hair");
  writeHairMeshes(outDir);
  progress("meshes", "props");
  writePropMeshes(outDir);
}
