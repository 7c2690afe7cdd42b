// The terrain and water meshes: a 255 x 255 vertex grid built from a
// Heightfield and rebuilt and uploaded every frame.
#pragma once

struct Heightfield;
struct Mesh;
class MODEL3D;

// Builds the mesh on an empty model (generating the given heightfield with
// amplitude first), with the "data/terrain_surface4.png" texture. Always true.
bool createLandscapeMesh(MODEL3D* model, Heightfield& heightfield, float amplitude);
// Positions, texture coordinates and interior normals from the heightfield,
// then the vertex upload.
void updateLandscapeMesh(Heightfield& heightfield, MODEL3D* model);
// The processor side of the update: positions, texture coordinates and
// interior normals into the mesh's vertex array (and the heightfield's
// normals). False, touching nothing, unless the mesh is a 255 x 255 grid.
bool rebuildLandscapeVertices(Heightfield& heightfield, Mesh* mesh);
