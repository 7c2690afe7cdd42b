// demo-tool world: the scattered landscape as JSON, checked for what it says.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Standard output, or standard error when `errors` is set.
std::string runWorld(const std::string& arguments, int* exitCode, bool errors = false) {
    std::string output;
    const std::string command =
        BIN_DIR "/demo-tool world " + arguments + (errors ? " 2>&1 >/dev/null" : " 2>/dev/null");
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t read;
        while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
        const int status = pclose(pipe);
        *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    return output;
}

int count(const std::string& text, const std::string& word) {
    int n = 0;
    for (size_t at = text.find(word); at != std::string::npos; at = text.find(word, at + 1)) ++n;
    return n;
}

// The numbers of the array that follows `"key": [` from `from` on.
std::vector<float> numberArray(const std::string& json, const std::string& key, size_t from = 0) {
    std::vector<float> values;
    size_t at = json.find("\"" + key + "\": [", from);
    if (at == std::string::npos) return values;
    const char* p = json.c_str() + json.find('[', at) + 1;
    char* end = nullptr;
    for (float value = std::strtof(p, &end); end != p; value = std::strtof(p, &end)) {
        values.push_back(value);
        p = end;
        while (*p == ',' || *p == ' ') ++p;
    }
    return values;
}

float numberAfter(const std::string& json, const std::string& key, size_t from = 0) {
    const size_t at = json.find("\"" + key + "\": ", from);
    return at == std::string::npos ? NAN : std::strtof(json.c_str() + at + key.size() + 4, nullptr);
}

struct Placed {
    int templateIndex;
    float x, y, z;
};

std::vector<Placed> instances(const std::string& json, const std::string& kind) {
    std::vector<Placed> placed;
    const size_t start = json.find("\"" + kind + "\": [");
    const size_t stop = json.find(']', start);
    for (size_t at = json.find("{\"templateIndex\"", start); at < stop; at = json.find("{\"templateIndex\"", at + 1)) {
        Placed p;
        if (std::sscanf(json.c_str() + at, "{\"templateIndex\": %d, \"x\": %f, \"y\": %f, \"z\": %f", &p.templateIndex,
                        &p.x, &p.y, &p.z) == 4)
            placed.push_back(p);
    }
    return placed;
}

// Grid cell of a world coordinate on the 20000-unit terrain, clamped.
int cell(float coordinate) {
    const float g = (10000.0f + coordinate) / 20000.0f * 255.0f;
    return g < 0.0f ? 0 : (g >= 254.0f ? 254 : static_cast<int>(g));
}

}  // namespace

// What the tool prints is a consistent world: every instance stands on the
// printed terrain (the four heights of its cell, averaged and scaled, less
// 10), above the printed water level, within 10000 units of the centre, and a
// rock's template is the one of its climate band.
TEST(WorldCommand, InstancesStandOnThePrintedTerrainInTheirClimate) {
    int exitCode = -1;
    const float water = -30.0f, scale = 40.0f;
    const std::string json = runWorld("--water-level -30 --heights", &exitCode);
    ASSERT_EQ(exitCode, 0);
    const std::vector<float> heights = numberArray(json, "heights");
    ASSERT_EQ(heights.size(), 65025u);
    const float top = numberAfter(json, "maxHeight") * scale;
    EXPECT_EQ(count(json, "\"phase\""), 20);
    size_t checked = 0;
    for (const char* kind : {"trees", "plants", "rocks"}) {
        for (const Placed& p : instances(json, kind)) {
            const int c = cell(p.x), r = cell(p.z);
            const int c1 = c < 254 ? c + 1 : c, r1 = r < 254 ? r + 1 : r;
            const float sum =
                heights[r * 255 + c] + heights[r * 255 + c1] + heights[r1 * 255 + c] + heights[r1 * 255 + c1];
            EXPECT_EQ(p.y, sum * 0.25f * scale - 10.0f) << kind << " at " << p.x << ", " << p.z;
            EXPECT_GE(p.y, water);
            EXPECT_LE(std::sqrt(p.x * p.x + p.z * p.z), 10000.0f);
            if (std::string(kind) == "rocks") {
                const float t = (p.y - water) / (top - water);
                const bool odd = static_cast<long long>(p.y) % 2 != 0;
                const int climate = t > 0.4f ? 2 : t > 0.2f ? (odd ? 2 : 1) : t > 0.1f ? (odd ? 1 : 0) : 0;
                EXPECT_EQ(p.templateIndex / 3, climate) << "rock at height " << p.y;
            }
            ++checked;
        }
    }
    EXPECT_GT(checked, 300u);
    EXPECT_EQ(json.find("nan"), std::string::npos);
}

TEST(WorldCommand, FloodAndHeightsAndBadArguments) {
    int exitCode = -1;
    const std::string flooded = runWorld("--water-level 1e9 --heights", &exitCode);
    ASSERT_EQ(exitCode, 0);
    EXPECT_NE(flooded.find("\"trees\": []"), std::string::npos);
    EXPECT_NE(flooded.find("\"rocks\": []"), std::string::npos);
    EXPECT_EQ(count(flooded, "\"heights\""), 2);

    // Numbers that are missing, malformed, not finite or out of range exit
    // with 2 and print nothing; an unknown argument exits with 1.
    for (const char* bad : {"--water-level high", "--height-scale nan", "--height-scale inf", "--height-scale 1e30",
                            "--water-level -inf", "--water-level 1e300", "--height-scale"}) {
        EXPECT_EQ(runWorld(bad, &exitCode), "") << bad;
        EXPECT_EQ(exitCode, 2) << bad;
    }
    EXPECT_NE(runWorld("--water-level", &exitCode, true).find("--water-level needs a number"), std::string::npos);
    runWorld("--colour red", &exitCode);
    EXPECT_EQ(exitCode, 1);
}
