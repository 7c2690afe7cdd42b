#include "tools/asset_generator/mesh_builder.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <utility>

#include <meshoptimizer.h>

uint32_t addVertex(MeshBuilder& mesh, Vector3 position, Vector3 normal, float u, float v) {
    ModelFileVertex vertex;
    vertex.position[0] = position.x;
    vertex.position[1] = position.y;
    vertex.position[2] = position.z;
    Vector3 n = vectorNormalise(normal);
    vertex.normal[0] = n.x;
    vertex.normal[1] = n.y;
    vertex.normal[2] = n.z;
    vertex.uv[0][0] = u;
    vertex.uv[0][1] = v;
    mesh.vertices.push_back(vertex);
    return static_cast<uint32_t>(mesh.vertices.size() - 1);
}

static Vector3 vertexPosition(const MeshBuilder& mesh, uint32_t index) {
    const float* p = mesh.vertices[index].position;
    return {p[0], p[1], p[2]};
}

static Vector3 vertexNormal(const MeshBuilder& mesh, uint32_t index) {
    const float* n = mesh.vertices[index].normal;
    return {n[0], n[1], n[2]};
}

void addTriangle(MeshBuilder& mesh, uint32_t a, uint32_t b, uint32_t c) {
    Vector3 pa = vertexPosition(mesh, a), pb = vertexPosition(mesh, b), pc = vertexPosition(mesh, c);
    Vector3 winding = vectorCross(pb - pa, pc - pa);
    Vector3 normals = vertexNormal(mesh, a) + vertexNormal(mesh, b) + vertexNormal(mesh, c);
    if (dot(winding, normals) < 0.0f) std::swap(b, c);
    mesh.indices.push_back(a);
    mesh.indices.push_back(b);
    mesh.indices.push_back(c);
}

static void projectOnDominantPlane(Vector3 p, Vector3 normal, float scale, float& u, float& v) {
    float ax = std::fabs(normal.x), ay = std::fabs(normal.y), az = std::fabs(normal.z);
    if (ay >= ax && ay >= az) {
        u = p.x * scale;
        v = p.z * scale;
    } else if (ax >= az) {
        u = p.z * scale;
        v = -p.y * scale;
    } else {
        u = p.x * scale;
        v = -p.y * scale;
    }
}

void addFacet(MeshBuilder& mesh, Vector3 a, Vector3 b, Vector3 c, Vector3 outward, float texturesPerUnit) {
    Vector3 winding = vectorCross(b - a, c - a);
    float area = vectorLength(winding);
    float longest = std::fmax(vectorLength(b - a), std::fmax(vectorLength(c - b), vectorLength(a - c)));
    if (!(area > 1e-4f * longest * longest)) return;
    if (dot(winding, outward) < 0.0f) {
        std::swap(b, c);
        winding = winding * -1.0f;
    }
    Vector3 normal = winding * (1.0f / area);
    const Vector3 corners[3] = {a, b, c};
    for (Vector3 corner : corners) {
        float u, v;
        projectOnDominantPlane(corner, normal, texturesPerUnit, u, v);
        mesh.indices.push_back(addVertex(mesh, corner, normal, u, v));
    }
}

// Two unit vectors that complete `axis` to an orthonormal frame.
static void perpendicularFrame(Vector3 axis, Vector3& side, Vector3& front) {
    Vector3 helper = std::fabs(axis.y) < 0.9f ? Vector3{0, 1, 0} : Vector3{1, 0, 0};
    side = vectorNormalise(vectorCross(helper, axis));
    front = vectorCross(axis, side);
}

void addTube(MeshBuilder& mesh, Vector3 base, Vector3 tip, float baseRadius, float tipRadius, int sides) {
    Vector3 along = tip - base;
    float length = vectorLength(along);
    if (length <= 0.0f || sides < 3) return;
    Vector3 axis = along * (1.0f / length);
    Vector3 side, front;
    perpendicularFrame(axis, side, front);
    const float twoPi = 6.2831853f;
    float vRepeat = length / (twoPi * baseRadius);
    // Smooth normal of a cone's side: radial, leaning toward the narrow end.
    float lean = (baseRadius - tipRadius) / length;
    uint32_t first = static_cast<uint32_t>(mesh.vertices.size());
    for (int i = 0; i <= sides; ++i) {
        float angle = twoPi * static_cast<float>(i) / static_cast<float>(sides);
        Vector3 radial = side * std::cos(angle) + front * std::sin(angle);
        Vector3 normal = radial + axis * lean;
        float u = static_cast<float>(i) / static_cast<float>(sides);
        addVertex(mesh, base + radial * baseRadius, normal, u, vRepeat);
        addVertex(mesh, tip + radial * tipRadius, normal, u, 0.0f);
    }
    for (int i = 0; i < sides; ++i) {
        uint32_t lower = first + 2u * static_cast<uint32_t>(i);
        uint32_t upper = lower + 1, nextLower = lower + 2, nextUpper = lower + 3;
        addTriangle(mesh, lower, nextLower, nextUpper);
        if (tipRadius > 0.0f) addTriangle(mesh, lower, nextUpper, upper);
    }
}

void addDisc(MeshBuilder& mesh, Vector3 centre, Vector3 normal, float radius, int sides) {
    Vector3 axis = vectorNormalise(normal);
    Vector3 side, front;
    perpendicularFrame(axis, side, front);
    const float twoPi = 6.2831853f;
    uint32_t middle = addVertex(mesh, centre, axis, 0.5f, 0.5f);
    uint32_t first = static_cast<uint32_t>(mesh.vertices.size());
    for (int i = 0; i < sides; ++i) {
        float angle = twoPi * static_cast<float>(i) / static_cast<float>(sides);
        float c = std::cos(angle), s = std::sin(angle);
        addVertex(mesh, centre + (side * c + front * s) * radius, axis, 0.5f + 0.5f * c, 0.5f + 0.5f * s);
    }
    for (int i = 0; i < sides; ++i)
        addTriangle(mesh, middle, first + static_cast<uint32_t>(i), first + static_cast<uint32_t>((i + 1) % sides));
}

Polyhedron makeIcosphere(int subdivisions) {
    const float t = 1.6180340f;  // golden ratio
    Polyhedron shape;
    const float corners[12][3] = {{-1, t, 0},  {1, t, 0},  {-1, -t, 0}, {1, -t, 0}, {0, -1, t},  {0, 1, t},
                                  {0, -1, -t}, {0, 1, -t}, {t, 0, -1},  {t, 0, 1},  {-t, 0, -1}, {-t, 0, 1}};
    for (const float* c : corners) shape.points.push_back(vectorNormalise({c[0], c[1], c[2]}));
    shape.triangles = {0, 11, 5,  0, 5,  1, 0, 1, 7, 0, 7,  10, 0, 10, 11, 1, 5, 9, 5, 11,
                       4, 11, 10, 2, 10, 7, 6, 7, 1, 8, 3,  9,  4, 3,  4,  2, 3, 2, 6, 3,
                       6, 8,  3,  8, 9,  4, 9, 5, 2, 4, 11, 6,  2, 10, 8,  6, 7, 9, 8, 1};
    // Counter-clockwise from outside: on a convex body the winding normal
    // points the same way as the face centre. Subdivision keeps the winding.
    for (size_t i = 0; i < shape.triangles.size(); i += 3) {
        Vector3 a = shape.points[shape.triangles[i]];
        Vector3 b = shape.points[shape.triangles[i + 1]];
        Vector3 c = shape.points[shape.triangles[i + 2]];
        if (dot(vectorCross(b - a, c - a), a + b + c) < 0.0f) std::swap(shape.triangles[i + 1], shape.triangles[i + 2]);
    }
    for (int level = 0; level < subdivisions; ++level) {
        std::map<std::pair<uint32_t, uint32_t>, uint32_t> midpoints;
        auto midpoint = [&](uint32_t a, uint32_t b) {
            std::pair<uint32_t, uint32_t> key(std::min(a, b), std::max(a, b));
            auto found = midpoints.find(key);
            if (found != midpoints.end()) return found->second;
            shape.points.push_back(vectorNormalise(shape.points[a] + shape.points[b]));
            uint32_t index = static_cast<uint32_t>(shape.points.size() - 1);
            midpoints[key] = index;
            return index;
        };
        std::vector<uint32_t> finer;
        for (size_t i = 0; i < shape.triangles.size(); i += 3) {
            uint32_t a = shape.triangles[i], b = shape.triangles[i + 1], c = shape.triangles[i + 2];
            uint32_t ab = midpoint(a, b), bc = midpoint(b, c), ca = midpoint(c, a);
            finer.insert(finer.end(), {a, ab, ca, b, bc, ab, c, ca, bc, ab, bc, ca});
        }
        shape.triangles.swap(finer);
    }
    return shape;
}

void addPolyhedronFacets(MeshBuilder& mesh, const Polyhedron& shape, float texturesPerUnit, MeshBuilder* snow,
                         float snowMinNormalY) {
    for (size_t i = 0; i < shape.triangles.size(); i += 3) {
        Vector3 a = shape.points[shape.triangles[i]];
        Vector3 b = shape.points[shape.triangles[i + 1]];
        Vector3 c = shape.points[shape.triangles[i + 2]];
        Vector3 winding = vectorCross(b - a, c - a);
        bool snowy = snow && vectorNormalise(winding).y > snowMinNormalY;
        addFacet(snowy ? *snow : mesh, a, b, c, winding, texturesPerUnit);
    }
}

void simplifyShape(Polyhedron& shape, float keepFraction, float maxError) {
    if (shape.triangles.empty()) return;
    const size_t target = static_cast<size_t>(static_cast<float>(shape.triangles.size() / 3) * keepFraction) * 3;
    std::vector<uint32_t> simpler(shape.triangles.size());
    simpler.resize(meshopt_simplify(simpler.data(), shape.triangles.data(), shape.triangles.size(), &shape.points[0].x,
                                    shape.points.size(), sizeof(Vector3), target, maxError, 0, nullptr));
    shape.triangles.swap(simpler);
}

// Welds byte-identical vertices, orders the triangles for the post-transform
// cache and then, within its slack, front to back from most directions, and
// finally stores the vertices in the order the triangles first use them.
static void optimiseForDrawing(std::vector<ModelFileVertex>& vertices, std::vector<uint32_t>& indices) {
    if (indices.empty() || vertices.empty()) return;
    std::vector<unsigned int> remap(vertices.size());
    const size_t unique = meshopt_generateVertexRemap(remap.data(), indices.data(), indices.size(), vertices.data(),
                                                      vertices.size(), sizeof(ModelFileVertex));
    std::vector<ModelFileVertex> welded(unique);
    meshopt_remapVertexBuffer(welded.data(), vertices.data(), vertices.size(), sizeof(ModelFileVertex), remap.data());
    meshopt_remapIndexBuffer(indices.data(), indices.data(), indices.size(), remap.data());
    meshopt_optimizeVertexCache(indices.data(), indices.data(), indices.size(), unique);
    meshopt_optimizeOverdraw(indices.data(), indices.data(), indices.size(), welded[0].position, unique,
                             sizeof(ModelFileVertex), 1.05f);
    meshopt_optimizeVertexFetch(welded.data(), indices.data(), indices.size(), welded.data(), unique,
                                sizeof(ModelFileVertex));
    vertices.swap(welded);
}

ModelFileNode makeNode(const MeshBuilder& mesh, const char* texturePath) {
    ModelFileNode node;
    matrixIdentity(node.localMatrix);
    node.uvSetCount = 1;
    node.vertices = mesh.vertices;
    node.indices = mesh.indices;
    optimiseForDrawing(node.vertices, node.indices);
    node.materials.push_back(texturePath);
    return node;
}

uint32_t countTriangles(const ModelFileNode& node) {
    uint32_t count = static_cast<uint32_t>(node.indices.size() / 3);
    for (const ModelFileNode& child : node.children) count += countTriangles(child);
    return count;
}
