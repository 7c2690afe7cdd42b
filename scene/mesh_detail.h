// Levels of detail for static meshes: coarser index lists, made once when a
// model is loaded, that the renderer draws for far-away instances.
#pragma once

struct Mesh;

// Simplifies the mesh's part to about 1/2, 1/4, 1/8 and 1/16 of its
// triangles, keeping each level that really is coarser than the one before,
// with the farthest the surface moves, and uploads them into an index buffer
// of their own (needs the GL context). Skinned and dynamic meshes, parts
// under 64 triangles and parts with indices outside the vertices or with
// non-finite positions get none.
void buildDetailLevels(Mesh* mesh);
