// Building blocks for the generated models: one MeshBuilder per model node,
// filled with smooth tubes, faceted polyhedra and free triangles. Every
// triangle is wound counter-clockwise as seen from the side its normal points
// to, so back-face culling keeps the outside.
#pragma once

#include <cstdint>
#include <vector>

#include "scene/math.h"
#include "scene/model_file.h"

inline Vector3 operator+(Vector3 a, Vector3 b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
inline Vector3 operator-(Vector3 a, Vector3 b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
inline Vector3 operator*(Vector3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
inline float dot(Vector3 a, Vector3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }

struct MeshBuilder {
    std::vector<ModelFileVertex> vertices;
    std::vector<uint32_t> indices;
};

uint32_t addVertex(MeshBuilder& mesh, Vector3 position, Vector3 normal, float u, float v);
// Adds the triangle wound so that it faces the way its vertex normals point.
void addTriangle(MeshBuilder& mesh, uint32_t a, uint32_t b, uint32_t c);
// A flat-shaded triangle with its own vertices, turned to face `outward`
// (any vector on the outer side). Texture coordinates are the positions
// projected on the facet's dominant axis plane, times texturesPerUnit.
// Slivers of no area are dropped.
void addFacet(MeshBuilder& mesh, Vector3 a, Vector3 b, Vector3 c, Vector3 outward, float texturesPerUnit);
// A smooth-shaded tapered tube from base to tip without end caps; a tip
// radius of 0 closes it to a point. u runs once around, v along the length
// at the same texture density as around the base.
void addTube(MeshBuilder& mesh, Vector3 base, Vector3 tip, float baseRadius, float tipRadius, int sides);

// A flat round cap facing along `normal`, e.g. the underside of a trunk.
void addDisc(MeshBuilder& mesh, Vector3 centre, Vector3 normal, float radius, int sides);

// A closed triangle mesh as shared points, for shapes that get displaced
// before they are emitted as facets.
struct Polyhedron {
    std::vector<Vector3> points;
    std::vector<uint32_t> triangles;  // counter-clockwise from outside
};

// Fewer triangles for the same shape: collapses edges down to keepFraction of
// the triangles, as long as the surface moves by less than maxError (a
// fraction of the shape's size). Points no triangle uses any more stay.
void simplifyShape(Polyhedron& shape, float keepFraction, float maxError);

// The unit sphere as a subdivided icosahedron: 20 * 4^subdivisions triangles.
Polyhedron makeIcosphere(int subdivisions);
// Emits every triangle of the polyhedron as a facet, keeping its winding.
// With a snow mesh, facets whose normal rises above snowMinNormalY (the
// upward-facing ones) go there instead.
void addPolyhedronFacets(MeshBuilder& mesh, const Polyhedron& shape, float texturesPerUnit, MeshBuilder* snow = nullptr,
                         float snowMinNormalY = 1.0f);

// A node with an identity local matrix holding the builder's geometry and one
// texture; identical vertices are welded and the triangles ordered for the
// vertex cache and for little overdraw.
ModelFileNode makeNode(const MeshBuilder& mesh, const char* texturePath);
// Total triangles of a node and all its descendants.
uint32_t countTriangles(const ModelFileNode& node);
