// demo-tool world [--water-level L] [--height-scale S] [--use-raw] [--heights]
// Runs the demo's scattering pass on its terrain and water, with no window,
// and prints the result as one JSON object. Floats carry 9 significant
// digits so they read back to the same values.
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "demo/demo_world.h"
#include "demo/scatter.h"

static void printFloat(float value) { std::printf("%.9g", static_cast<double>(value)); }

static void printSurface(const char* name, const Heightfield& h, bool withHeights) {
    std::printf("\"%s\": {\"minHeight\": ", name);
    printFloat(h.minHeight);
    std::printf(", \"maxHeight\": ");
    printFloat(h.maxHeight);
    std::printf(", \"range\": ");
    printFloat(h.range);
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
        std::printf("%s{\"templateIndex\": %d, \"x\": ", i ? ", " : "", s.templateIndex);
        printFloat(s.x);
        std::printf(", \"y\": ");
        printFloat(s.y);
        std::printf(", \"z\": ");
        printFloat(s.z);
        std::printf(", \"rotationY\": ");
        printFloat(s.rotationY);
        std::printf(", \"scaleX\": ");
        printFloat(s.scaleX);
        std::printf(", \"scaleY\": ");
        printFloat(s.scaleY);
        std::printf(", \"scaleZ\": ");
        printFloat(s.scaleZ);
        std::printf("}");
    }
    std::printf("]");
}

static bool parseFloat(const char* text, float& out) {
    char* end = nullptr;
    out = std::strtof(text, &end);
    return end != text && *end == '\0';
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
        } else if (std::strcmp(arg, "--water-level") == 0 && i + 1 < argc) {
            if (!parseFloat(argv[++i], waterLevel)) {
                std::fprintf(stderr, "demo-tool world: --water-level needs a number\n");
                return 1;
            }
        } else if (std::strcmp(arg, "--height-scale") == 0 && i + 1 < argc) {
            if (!parseFloat(argv[++i], heightScale)) {
                std::fprintf(stderr, "demo-tool world: --height-scale needs a number\n");
                return 1;
            }
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
        const float values[7] = {f.phase, f.speed, f.radius, f.bobAmplitude, f.centreX, f.baseY, f.centreZ};
        static const char* const kNames[7] = {"phase", "speed", "radius", "bobAmplitude",
                                              "centreX", "baseY", "centreZ"};
        std::printf("%s{", i ? ", " : "");
        for (int k = 0; k < 7; ++k) {
            std::printf("%s\"%s\": ", k ? ", " : "", kNames[k]);
            printFloat(values[k]);
        }
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
