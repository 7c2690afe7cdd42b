// Levels of detail for static meshes: coarser index lists, made once when a
// model is loaded, that the renderer draws for far-away instances.
#pragma once

struct Mesh;

// Simplifies the mesh's part to about 1/2, 1/4, 1/8 and 1/16 of its
// triangles, keeping each level that really is coarser than the one before,
// and uploads them into an index buffer of their own (needs the GL context).
// A level's error bounds how far its surface lies from the full one and the
// full one from it, and is never below a finer level's. Skinned and dynamic
// meshes, parts under 64 triangles and parts with indices outside the
// vertices or with positions that are no numbers or beyond 1e8 get none.
void buildDetailLevels(Mesh* mesh);
