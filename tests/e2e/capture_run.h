// Helpers for tests that run `demo-tool capture` and `record` as a user would
// and look at the pictures they write.
#pragma once

#include <png.h>
#include <sys/wait.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

struct ToolRun {
    int exitCode = -1;
    std::string output;  // standard output
    std::string errors;  // standard error
};

// Runs `demo-tool <command> <arguments>` from the working directory (the
// repository root in tests); standard error goes through `errorsPath`.
inline ToolRun runTool(const std::string& commandName, const std::string& arguments, const std::string& errorsPath) {
    ToolRun run;
    const std::string command = BIN_DIR "/demo-tool " + commandName + " " + arguments + " 2>" + errorsPath;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[512];
        size_t read;
        while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) run.output.append(buffer, read);
        const int status = pclose(pipe);
        run.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::ifstream errors(errorsPath);
    std::stringstream text;
    text << errors.rdbuf();
    run.errors = text.str();
    return run;
}

inline ToolRun runCapture(const std::string& arguments, const std::string& errorsPath) {
    return runTool("capture", arguments, errorsPath);
}

// The number after "key": in a one-line JSON object; NaN when absent. For a
// nested object ("renderMs": {"median": ...}) pass "renderMs" and "median".
inline double jsonNumber(const std::string& json, const std::string& key, const std::string& inner = "") {
    size_t at = json.find("\"" + key + "\":");
    if (at == std::string::npos) return NAN;
    at += key.size() + 3;
    if (!inner.empty()) {
        at = json.find("\"" + inner + "\":", at);
        if (at == std::string::npos) return NAN;
        at += inner.size() + 3;
    }
    const char* start = json.c_str() + at;
    char* end = nullptr;
    const double value = std::strtod(start, &end);
    return end == start ? NAN : value;
}

// An 8-bit RGB picture, top row first; empty when the file cannot be read.
struct Picture {
    int width = 0, height = 0;
    std::vector<unsigned char> rgb;

    const unsigned char* at(int x, int y) const { return &rgb[((size_t)y * width + x) * 3]; }
};

inline Picture readPicture(const std::string& path) {
    Picture picture;
    png_image image;
    std::memset(&image, 0, sizeof image);
    image.version = PNG_IMAGE_VERSION;
    if (!png_image_begin_read_from_file(&image, path.c_str())) return picture;
    image.format = PNG_FORMAT_RGB;
    std::vector<unsigned char> rgb(PNG_IMAGE_SIZE(image));
    if (!png_image_finish_read(&image, nullptr, rgb.data(), 0, nullptr)) return picture;
    picture.width = (int)image.width;
    picture.height = (int)image.height;
    picture.rgb.swap(rgb);
    return picture;
}

// What a pixel of a demo frame shows, judged by colour alone. The thresholds
// come from the frames themselves: the day sky is a saturated blue with white
// clouds, the water a blue-green tint, and the terrain with its trees and
// rocks is green, brown or grey. The clear colour (0.1, 0.1, 0.2) is where
// nothing was drawn.
enum PixelKind { PIXEL_CLEAR, PIXEL_SKY, PIXEL_WATER, PIXEL_LAND };

inline PixelKind classifyPixel(const unsigned char* rgb) {
    const int r = rgb[0], g = rgb[1], b = rgb[2];
    if (std::abs(r - 26) <= 3 && std::abs(g - 26) <= 3 && std::abs(b - 51) <= 3) return PIXEL_CLEAR;
    if (b > 140 && b > r + 40 && b > g + 15) return PIXEL_SKY;
    if (r > 190 && g > 190 && b > 190) return PIXEL_SKY;  // clouds
    if (b > r + 15 && b + 10 >= g) return PIXEL_WATER;
    return PIXEL_LAND;
}

struct PixelShares {
    double share[4] = {0, 0, 0, 0};  // by PixelKind, of the rows looked at
};

// Shares of each kind in rows [top, bottom).
inline PixelShares pixelShares(const Picture& picture, int top, int bottom) {
    PixelShares shares;
    const double count = (double)picture.width * (bottom - top);
    for (int y = top; y < bottom; ++y)
        for (int x = 0; x < picture.width; ++x) shares.share[classifyPixel(picture.at(x, y))] += 1.0 / count;
    return shares;
}

// Mean absolute difference of the colour channels, 0 to 255.
inline double meanDifference(const Picture& a, const Picture& b) {
    if (a.rgb.size() != b.rgb.size() || a.rgb.empty()) return 255.0;
    double sum = 0.0;
    for (size_t i = 0; i < a.rgb.size(); ++i) sum += std::abs(a.rgb[i] - b.rgb[i]);
    return sum / a.rgb.size();
}

// The width x height rectangle at (left, top); empty where it does not fit.
inline Picture cropPicture(const Picture& picture, int left, int top, int width, int height) {
    Picture part;
    if (left < 0 || top < 0 || width <= 0 || height <= 0 || left + width > picture.width ||
        top + height > picture.height)
        return part;
    part.width = width;
    part.height = height;
    for (int y = top; y < top + height; ++y)
        part.rgb.insert(part.rgb.end(), picture.at(left, y), picture.at(left, y) + 3 * width);
    return part;
}

// Mean Rec. 709 luma, 0 to 255.
inline double meanLuminance(const Picture& picture) {
    double sum = 0.0;
    for (size_t i = 0; i + 2 < picture.rgb.size(); i += 3)
        sum += 0.2126 * picture.rgb[i] + 0.7152 * picture.rgb[i + 1] + 0.0722 * picture.rgb[i + 2];
    return picture.rgb.empty() ? 0.0 : sum / (picture.rgb.size() / 3);
}
