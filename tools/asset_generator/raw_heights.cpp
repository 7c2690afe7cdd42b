// a.raw: the terrain the demo scatters over from act 5 on, 255 rows of 255
// height bytes. A ringed crater island: a sea floor, a steep outer slope up
// to a rim notched at a few places, a crater lake inside and a small peak in
// its middle, roughened with seeded noise. Clearly unlike the generated
// basins of the earlier acts.
#include <cmath>
#include <cstdio>
#include <string>
#include <vector>

#include "tools/asset_generator/asset_generator.h"
#include "tools/asset_generator/noise.h"

namespace {
constexpr int kSide = 255;
constexpr uint32_t kSeed = 0x0a5a1d5u;

// Height 0..1 at distance r (1 = the grid's half width) and angle a.
float craterIsland(float r, float a) {
    const float rim = 0.55f + 0.04f * std::sin(a * 3.0f);
    const float notch = 0.35f * std::pow(std::fabs(std::sin(a * 2.5f)), 24.0f);  // low passes in the rim
    const float rimHeight = 0.92f - notch;
    float h;
    if (r >= 0.92f) {
        h = 0.08f;  // sea floor
    } else if (r >= rim) {
        const float t = (0.92f - r) / (0.92f - rim);  // 0 at the shore foot, 1 on the rim
        h = 0.08f + (rimHeight - 0.08f) * t * t;
    } else if (r >= 0.3f) {
        const float t = (rim - r) / (rim - 0.3f);  // 0 on the rim, 1 on the crater floor
        h = rimHeight + (0.25f - rimHeight) * std::sqrt(t);
    } else {
        const float peak = r < 0.1f ? 0.7f - 3.5f * r : 0.25f + 0.1f * (0.3f - r);
        h = peak > 0.25f ? peak : 0.25f;
    }
    return h;
}
}  // namespace

bool generateRawHeights(const std::string& path) {
    std::vector<unsigned char> bytes(kSide * kSide);
    const float centre = (kSide - 1) * 0.5f;
    for (int row = 0; row < kSide; ++row) {
        for (int column = 0; column < kSide; ++column) {
            const float dx = (static_cast<float>(column) - centre) / centre;
            const float dz = (static_cast<float>(row) - centre) / centre;
            const float r = std::sqrt(dx * dx + dz * dz);
            const float a = std::atan2(dz, dx);
            const float rough = fractalNoise2(kSeed, column / 16.0f, row / 16.0f, 16, 16, 4) - 0.5f;
            float h = craterIsland(r, a) + 0.12f * rough;
            h = h < 0.0f ? 0.0f : (h > 1.0f ? 1.0f : h);
            bytes[row * kSide + column] = static_cast<unsigned char>(std::lround(h * 255.0f));
        }
    }
    FILE* file = std::fopen(path.c_str(), "wb");
    const bool written = file && std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    if (!file || std::fclose(file) != 0 || !written) {
        std::fprintf(stderr, "%s: cannot write\n", path.c_str());
        return false;
    }
    reportFile(path, " (the crater island of act 5)");
    return true;
}
