// The demo's pictures: ground, water, day and night sky, the night emblem and
// the textures the models name. Each is a pure function of the texture
// coordinate built from seeded noise that wraps at the picture's edge, so
// every picture tiles.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/asset_generator/asset_generator.h"
#include "tools/asset_generator/noise.h"
#include "image/png_writer.h"

struct Colour {
    float r, g, b, a;
};

static const float kTwoPi = 6.2831853f;

static Colour rgb(float r, float g, float b) { return {r, g, b, 1.0f}; }

static Colour mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t, a.a + (b.a - a.a) * t};
}

static Colour brighten(Colour c, float factor) { return {c.r * factor, c.g * factor, c.b * factor, c.a}; }

static float clamp01(float x) { return x < 0.0f ? 0.0f : (x > 1.0f ? 1.0f : x); }

static float smoothStep(float edge0, float edge1, float x) {
    float t = clamp01((x - edge0) / (edge1 - edge0));
    return t * t * (3.0f - 2.0f * t);
}

// Noise with cellsU lattice cells across and cellsV down, wrapping at the edge.
static float stretched(uint32_t seed, float u, float v, int cellsU, int cellsV, int octaves) {
    return fractalNoise2(seed, u * static_cast<float>(cellsU), v * static_cast<float>(cellsV), cellsU, cellsV, octaves);
}

// Noise over the picture with `cells` lattice cells across and down, wrapping at the edge.
static float tiled(uint32_t seed, float u, float v, int cells, int octaves) {
    return stretched(seed, u, v, cells, cells, octaves);
}

// Thin meandering dark lines where a noise field crosses its middle value.
static float crackShade(uint32_t seed, float u, float v, int cells, float width) {
    float field = tiled(seed, u, v, cells, 4);
    float mask = smoothStep(0.45f, 0.6f, tiled(seed + 1u, u, v, cells / 2 > 0 ? cells / 2 : 1, 3));
    return 1.0f - 0.6f * mask * smoothStep(width, 0.0f, std::fabs(field - 0.5f));
}

// ---- ground and water -----------------------------------------------------

static Colour terrainSurface(float u, float v) {
    float grassMask = tiled(101, u, v, 4, 5);
    float rockMask = tiled(102, u, v, 3, 5);
    float detail = tiled(103, u, v, 32, 3);
    float speckle = tiled(104, u, v, 128, 2);
    Colour grass = mix(rgb(0.20f, 0.36f, 0.10f), rgb(0.42f, 0.55f, 0.20f), detail);
    grass = brighten(grass, 0.85f + 0.3f * speckle);
    Colour earth = mix(rgb(0.33f, 0.24f, 0.15f), rgb(0.52f, 0.41f, 0.27f), detail);
    earth = brighten(earth, 0.9f + 0.2f * speckle);
    Colour rock = mix(rgb(0.40f, 0.39f, 0.37f), rgb(0.62f, 0.60f, 0.57f), detail);
    rock = brighten(rock, crackShade(105, u, v, 16, 0.02f));
    Colour ground = mix(earth, grass, smoothStep(0.36f, 0.48f, grassMask));
    return mix(ground, rock, smoothStep(0.58f, 0.68f, rockMask));
}

static Colour water(float u, float v) {
    float warp = tiled(201, u, v, 4, 4);
    float ripple = 0.5f + 0.5f * std::sin(kTwoPi * (8.0f * v + 3.0f * warp));
    CellSample caustic = cellNoise2(202, u * 8.0f + warp, v * 8.0f, 8);
    float light = smoothStep(0.12f, 0.0f, caustic.second - caustic.nearest);
    Colour deep = {0.04f, 0.26f, 0.36f, 0.62f};
    Colour shallow = {0.22f, 0.56f, 0.60f, 0.58f};
    Colour c = mix(deep, shallow, 0.6f * ripple + 0.4f * tiled(203, u, v, 8, 3));
    c = mix(c, Colour{0.75f, 0.92f, 0.95f, 0.7f}, 0.45f * light);
    return c;
}

// ---- skies and the emblem -------------------------------------------------

// Row 0 is the top of a sky face.
static Colour daySky(float u, float v) {
    Colour zenith = rgb(0.16f, 0.36f, 0.74f), horizon = rgb(0.68f, 0.81f, 0.95f);
    Colour sky = mix(zenith, horizon, std::pow(v, 1.4f));
    float density = stretched(301, u, v, 4, 8, 6);
    float cloud = smoothStep(0.52f, 0.72f, density);
    float underside = smoothStep(0.5f, 0.8f, stretched(302, u, v + 0.01f, 4, 8, 5));
    Colour cloudColour = mix(rgb(0.98f, 0.98f, 1.0f), rgb(0.72f, 0.75f, 0.82f), 0.5f * underside);
    return mix(sky, cloudColour, 0.9f * cloud);
}

// Stars of one grid: a point per cell, shown in about a third of the cells.
static float starLight(uint32_t seed, float u, float v, int cells, float pixelsPerCell, float size) {
    CellSample star = cellNoise2(seed, u * static_cast<float>(cells), v * static_cast<float>(cells), cells);
    if (hashToFloat(star.id, 3u) > 0.35f) return 0.0f;
    float brightness = 0.3f + 0.7f * hashToFloat(star.id, 4u);
    float pixels = star.nearest * pixelsPerCell / size;
    return brightness * std::exp(-pixels * pixels);
}

static Colour nightSky(float u, float v) {
    Colour sky = mix(rgb(0.01f, 0.02f, 0.07f), rgb(0.04f, 0.06f, 0.16f), v);
    float haze = smoothStep(0.5f, 0.85f, tiled(401, u, v, 3, 6));
    sky = mix(sky, rgb(0.16f, 0.10f, 0.26f), 0.35f * haze);
    float light = starLight(402, u, v, 64, 8.0f, 0.7f) + starLight(403, u, v, 16, 32.0f, 1.3f);
    light += 0.4f * haze * starLight(404, u, v, 128, 4.0f, 0.5f);
    return mix(sky, rgb(1.0f, 0.97f, 0.9f), clamp01(light));
}

// A golden twelve-rayed sun with a ringed disc and a crescent, glowing on a
// dark night background.
static Colour emblem(float u, float v) {
    float x = 2.0f * u - 1.0f, y = 2.0f * v - 1.0f;
    float r = std::sqrt(x * x + y * y);
    float angle = std::atan2(y, x);
    const float pixel = 2.0f / 512.0f;
    auto inside = [pixel](float distanceInside) { return smoothStep(-pixel, pixel, distanceInside); };

    Colour c = mix(rgb(0.10f, 0.05f, 0.20f), rgb(0.01f, 0.01f, 0.04f), clamp01(r / 1.2f));
    c = mix(c, rgb(0.9f, 0.5f, 0.2f), 0.35f * std::exp(-r * r * 6.0f));  // glow

    float ray = 0.30f + 0.42f * std::pow(0.5f + 0.5f * std::cos(12.0f * angle), 5.0f);
    c = mix(c, rgb(1.0f, 0.70f, 0.18f), inside(ray - r));
    float shortRay = 0.30f + 0.22f * std::pow(0.5f + 0.5f * std::cos(12.0f * angle + 3.14159265f), 6.0f);
    c = mix(c, rgb(1.0f, 0.86f, 0.35f), inside(shortRay - r));
    float ring = 0.025f - std::fabs(r - 0.82f);
    c = mix(c, rgb(1.0f, 0.80f, 0.30f), inside(ring));
    c = mix(c, rgb(1.0f, 0.55f, 0.10f), inside(0.30f - r));
    c = mix(c, mix(rgb(1.0f, 0.98f, 0.80f), rgb(1.0f, 0.82f, 0.35f), r / 0.27f), inside(0.27f - r));
    // The crescent: a disc with an offset disc taken out of it.
    float moon = 0.17f - std::sqrt((x + 0.02f) * (x + 0.02f) + y * y);
    float bite = 0.14f - std::sqrt((x - 0.07f) * (x - 0.07f) + (y + 0.03f) * (y + 0.03f));
    c = mix(c, rgb(0.20f, 0.12f, 0.38f), inside(moon) * (1.0f - inside(bite)));
    return c;
}

// ---- model textures -------------------------------------------------------

// Bark furrows: contour lines of noise stretched along the trunk (u runs
// around it), 1 on the wood and 0 in a furrow.
static float barkFurrows(uint32_t seed, float u, float v, float width) {
    float fibre = stretched(seed, u, v, 16, 2, 4);
    float second = stretched(seed + 7u, u, v, 24, 3, 3);
    float distance = std::fmin(std::fabs(2.0f * fibre - 1.0f), std::fabs(2.0f * second - 1.0f) * 1.5f);
    return smoothStep(0.0f, width, distance);
}

static Colour bark(float u, float v) {
    float tone = tiled(502, u, v, 8, 3);
    Colour wood = mix(rgb(0.30f, 0.20f, 0.12f), rgb(0.46f, 0.33f, 0.21f), tone);
    wood = brighten(wood, 0.85f + 0.3f * stretched(503, u, v, 64, 4, 2));
    return mix(rgb(0.11f, 0.07f, 0.04f), wood, barkFurrows(501, u, v, 0.12f));
}

static Colour deadWood(float u, float v) {
    float tone = tiled(512, u, v, 8, 3);
    Colour wood = mix(rgb(0.42f, 0.40f, 0.37f), rgb(0.64f, 0.61f, 0.56f), tone);
    wood = brighten(wood, 0.85f + 0.3f * stretched(513, u, v, 64, 4, 2));
    return mix(rgb(0.17f, 0.15f, 0.13f), wood, barkFurrows(511, u, v, 0.08f));
}

// Overlapping leaf blobs, each its own shade of green, over a dark canopy.
static Colour leaves(float u, float v) {
    Colour c = rgb(0.05f, 0.14f, 0.04f);
    for (uint32_t layer = 0; layer < 2; ++layer) {
        float offset = 0.5f * static_cast<float>(layer);
        CellSample leaf = cellNoise2(601 + layer, u * 16.0f + offset, v * 16.0f + offset, 16);
        float shape = smoothStep(0.52f, 0.38f, leaf.nearest);
        Colour green = mix(rgb(0.16f, 0.38f, 0.10f), rgb(0.38f, 0.60f, 0.18f), hashToFloat(leaf.id, 5u));
        green = brighten(green, 1.1f - 0.6f * leaf.nearest);
        c = mix(c, green, shape);
    }
    return brighten(c, 0.8f + 0.4f * tiled(603, u, v, 4, 3));
}

static Colour needles(float u, float v) {
    float streak = stretched(701, u, v, 64, 8, 3);
    float tone = tiled(702, u, v, 8, 3);
    Colour c = mix(rgb(0.05f, 0.18f, 0.09f), rgb(0.16f, 0.36f, 0.18f), tone);
    return brighten(c, 0.7f + 0.6f * streak);
}

// Row 0 colours the blade tips, the last row the base.
static Colour plant(float u, float v) {
    Colour c = mix(rgb(0.56f, 0.72f, 0.26f), rgb(0.10f, 0.28f, 0.07f), v);
    float vein = smoothStep(0.06f, 0.0f, std::fabs(u - 0.5f));
    c = mix(c, rgb(0.70f, 0.82f, 0.45f), 0.5f * vein);
    return brighten(c, 0.85f + 0.3f * stretched(801, u, v, 32, 4, 2));
}

static Colour rock(float u, float v) {
    float tone = tiled(901, u, v, 6, 6);
    float grain = tiled(904, u, v, 64, 2);
    Colour c = mix(rgb(0.36f, 0.35f, 0.33f), rgb(0.64f, 0.62f, 0.58f), tone);
    c = brighten(c, (0.85f + 0.3f * grain) * crackShade(902, u, v, 4, 0.015f));
    float lichen = smoothStep(0.68f, 0.74f, tiled(903, u, v, 24, 3));
    return mix(c, rgb(0.55f, 0.58f, 0.30f), 0.6f * lichen);
}

static Colour sandstone(float u, float v) {
    float warp = tiled(1001, u, v, 4, 4);
    float band = 0.5f + 0.5f * std::sin(kTwoPi * (6.0f * v + 0.8f * warp));
    Colour c = mix(rgb(0.76f, 0.52f, 0.31f), rgb(0.88f, 0.72f, 0.50f), band);
    float redBand = smoothStep(0.6f, 0.8f, stretched(1002, u, v, 1, 16, 2));
    c = mix(c, rgb(0.62f, 0.34f, 0.20f), 0.7f * redBand);
    return brighten(c, 0.85f + 0.3f * tiled(1003, u, v, 64, 2));
}

static Colour snow(float u, float v) {
    float shade = tiled(1101, u, v, 6, 5);
    Colour c = mix(rgb(0.80f, 0.86f, 0.95f), rgb(0.97f, 0.98f, 1.0f), shade);
    float sparkle = starLight(1102, u, v, 64, 4.0f, 0.4f);
    return mix(c, rgb(1.0f, 1.0f, 1.0f), clamp01(sparkle));
}

// ---- writing --------------------------------------------------------------

typedef Colour (*PictureShader)(float u, float v);

static unsigned char toByte(float x) { return static_cast<unsigned char>(std::lround(clamp01(x) * 255.0f)); }

static bool writePicture(const std::string& outDir, const char* name, int size, PictureShader shader) {
    std::vector<unsigned char> rgba(static_cast<size_t>(size) * size * 4);
    for (int y = 0; y < size; ++y) {
        for (int x = 0; x < size; ++x) {
            float u = (static_cast<float>(x) + 0.5f) / static_cast<float>(size);
            float v = (static_cast<float>(y) + 0.5f) / static_cast<float>(size);
            Colour c = shader(u, v);
            unsigned char* pixel = &rgba[(static_cast<size_t>(y) * size + x) * 4];
            pixel[0] = toByte(c.r);
            pixel[1] = toByte(c.g);
            pixel[2] = toByte(c.b);
            pixel[3] = toByte(c.a);
        }
    }
    std::string path = outDir + "/" + name;
    std::string error;
    if (!writePng(path.c_str(), size, size, rgba.data(), true, &error)) {
        std::fprintf(stderr, "%s: %s\n", path.c_str(), error.c_str());
        return false;
    }
    reportFile(path, ", " + std::to_string(size) + "x" + std::to_string(size));
    return true;
}

bool generateTextures(const std::string& outDir) {
    struct Entry {
        const char* name;
        int size;
        PictureShader shader;
    };
    const Entry pictures[] = {
        {"terrain_surface4.png", 512, terrainSurface},
        {"agua.png", 256, water},
        {"dia.png", 512, daySky},
        {"noche2.png", 512, nightSky},
        {"icono1.png", 512, emblem},
        {"bark.png", 256, bark},
        {"deadwood.png", 256, deadWood},
        {"leaves.png", 256, leaves},
        {"needles.png", 256, needles},
        {"plant.png", 256, plant},
        {"rock.png", 256, rock},
        {"sandstone.png", 256, sandstone},
        {"snow.png", 256, snow},
    };
    for (const Entry& entry : pictures)
        if (!writePicture(outDir, entry.name, entry.size, entry.shader)) return false;
    return true;
}
