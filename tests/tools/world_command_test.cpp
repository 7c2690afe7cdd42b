// demo-tool world: the scattered landscape as JSON, the same as the demo's pass.
#include <gtest/gtest.h>

#include <sys/wait.h>

#include <cstdio>
#include <string>

#include "demo/demo_world.h"
#include "demo/scatter.h"

namespace {

std::string runWorld(const std::string& arguments, int* exitCode) {
    std::string output;
    const std::string command = BIN_DIR "/demo-tool world " + arguments + " 2>/dev/null";
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

std::string nineDigits(float value) {
    char text[32];
    std::snprintf(text, sizeof text, "%.9g", static_cast<double>(value));
    return text;
}

}  // namespace

TEST(WorldCommand, PrintsTheDemosScatteringPass) {
    int exitCode = -1;
    const std::string json = runWorld("--water-level 50", &exitCode);
    ASSERT_EQ(exitCode, 0);

    resetDemoWorld();
    DemoWorld& w = demoWorld();
    w.waterLevel = 50.0f;
    scatterWorld(w, false, true, true);
    EXPECT_EQ(count(json, "\"phase\""), 20);
    EXPECT_EQ(count(json, "\"templateIndex\""),
              static_cast<int>(w.trees.size() + w.plants.size() + w.rocks.size()));
    ASSERT_FALSE(w.trees.empty());
    EXPECT_NE(json.find("\"x\": " + nineDigits(w.trees[0].x) + ","), std::string::npos);
    EXPECT_NE(json.find("\"maxHeight\": " + nineDigits(w.terrain.maxHeight)), std::string::npos);
    EXPECT_EQ(json.find("\"heights\""), std::string::npos);
}

TEST(WorldCommand, FloodAndHeightsAndBadArguments) {
    int exitCode = -1;
    const std::string flooded = runWorld("--water-level 1e9 --heights", &exitCode);
    ASSERT_EQ(exitCode, 0);
    EXPECT_NE(flooded.find("\"trees\": []"), std::string::npos);
    EXPECT_NE(flooded.find("\"rocks\": []"), std::string::npos);
    EXPECT_EQ(count(flooded, "\"heights\""), 2);

    runWorld("--water-level high", &exitCode);
    EXPECT_EQ(exitCode, 1);
    runWorld("--colour red", &exitCode);
    EXPECT_EQ(exitCode, 1);
}
