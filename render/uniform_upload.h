// The uniforms a frame uploads from the scene: lights, camera and matrices,
// materials and skeletons, and the mesh program build a material draws with.
#pragma once

#include <cstdint>

struct Material;
struct MeshPart;
struct ShaderProgram;
struct Skeleton;

// The program to draw a mesh of this material, binding textureCount
// textures, with: program itself, or a build of it without the spot cone when
// no spot light is on, without the specular highlight when the material has
// none and without the second texture when there is none. A
// software rasteriser runs both sides of every branch for every fragment, so
// code that cannot change the pixels is left out instead; the pixels are the
// same. The builds are made with the catalogue; one that failed leaves
// program in use.
ShaderProgram* meshProgram(ShaderProgram* program, const Material* material, int textureCount);
// False when already current; otherwise glUseProgram, lastHit -1, cameraDirty, uploadLights.
bool makeCurrent(ShaderProgram* program);
void uploadLights(ShaderProgram* program);
// Camera and matrices of the model stack top; once per draw.
void uploadTransforms(ShaderProgram* program);
void uploadMaterial(const Material* material, float itemAlpha);
void uploadSkeleton(const Skeleton* skeleton);
// "mesh_joints": for each mesh-local joint number of the part, the uploaded
// skeleton joint the processor path would use, or -1 where there is none.
void uploadMeshJoints(const MeshPart* part, const Skeleton* skeleton);
