// demo-tool world [--water-level L] [--height-scale S] [--use-raw] [--heights]
// Runs the demo's scattering pass on its terrain and water, with no window,
// and prints the result as one JSON object. Floats carry 9 significant
// digits so they read back to the same values.
#include <cstdio>
#include <cstring>
#include <vector>

#include "demo/demo_world.h"
#include "demo/scatter.h"
#include "tools/demo_tool/options.h"

// Bounds that keep every printed value finite (the terrain's heights lie
// within about ten units before scaling).
constexpr float kMaxWaterLevel = 1e9f;
constexpr float kMaxHeightScale = 1e4f;

static void printFloat(float value) { std::printf("%.9g", static_cast<double>(value)); }

// `, "name": value` (without the comma for the first field of an object).
static void printField(const char* name, float value, bool first = false) {
    std::printf("%s\"%s\": ", first ? "" : ", ", name);
    printFloat(value);
}

static void printSurface(const char* name, const Heightfield& h, bool withHeights) {
    std::printf("\"%s\": {", name);
    printField("minHeight", h.minHeight, true);
    printField("maxHeight", h.maxHeight);
    printField("range", h.range);
    if (withHeights) {
        std::printf(", \"heights\": [");
        for (int i = 0; i < kGridPoints; ++i) {
            if (i) std::printf(", ");
            printFloat(h.heights[i]);
        }
        std::printf("]");
    }
    std::printf("}");
}

static void printInstances(const char* name, const std::vector<ScatterInstance>& instances) {
    std::printf("\"%s\": [", name);
    for (size_t i = 0; i < instances.size(); ++i) {
        const ScatterInstance& s = instances[i];
        std::printf("%s{\"templateIndex\": %d", i ? ", " : "", s.templateIndex);
        printField("x", s.x);
        printField("y", s.y);
        printField("z", s.z);
        printField("rotationY", s.rotationY);
        printField("scaleX", s.scaleX);
        printField("scaleY", s.scaleY);
        printField("scaleZ", s.scaleZ);
        std::printf("}");
    }
    std::printf("]");
}

int worldCommand(int argc, char** argv) {
    float waterLevel = 0.0f;
    float heightScale = 40.0f;
    bool useRaw = false;
    bool withHeights = false;
    for (int i = 0; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strcmp(arg, "--use-raw") == 0) {
            useRaw = true;
        } else if (std::strcmp(arg, "--heights") == 0) {
            withHeights = true;
        } else if (std::strcmp(arg, "--water-level") == 0) {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            if (!readFloatOption("world", arg, value, -kMaxWaterLevel, kMaxWaterLevel, waterLevel))
                return kBadOptionExit;
        } else if (std::strcmp(arg, "--height-scale") == 0) {
            const char* value = i + 1 < argc ? argv[++i] : nullptr;
            if (!readFloatOption("world", arg, value, -kMaxHeightScale, kMaxHeightScale, heightScale))
                return kBadOptionExit;
        } else {
            std::fprintf(stderr, "demo-tool world: unknown argument '%s'\n", arg);
            return 1;
        }
    }

    resetDemoWorld();
    DemoWorld& w = demoWorld();
    w.waterLevel = waterLevel;
    w.terrain.heightScale = heightScale;
    scatterWorld(w, useRaw, true, true);

    std::printf("{");
    printSurface("terrain", w.terrain, withHeights);
    std::printf(", ");
    printSurface("water", w.water, withHeights);
    std::printf(", \"flightPaths\": [");
    for (size_t i = 0; i < w.flightPaths.size(); ++i) {
        const FlightPath& f = w.flightPaths[i];
        std::printf("%s{", i ? ", " : "");
        printField("phase", f.phase, true);
        printField("speed", f.speed);
        printField("radius", f.radius);
        printField("bobAmplitude", f.bobAmplitude);
        printField("centreX", f.centreX);
        printField("baseY", f.baseY);
        printField("centreZ", f.centreZ);
        std::printf("}");
    }
    std::printf("], ");
    printInstances("trees", w.trees);
    std::printf(", ");
    printInstances("plants", w.plants);
    std::printf(", ");
    printInstances("rocks", w.rocks);
    std::printf("}\n");
    return 0;
}
