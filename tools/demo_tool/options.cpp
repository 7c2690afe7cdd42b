#include "tools/demo_tool/options.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>

static bool complain(const char* command, const char* option, const char* wanted, const char* text) {
    if (text)
        std::fprintf(stderr, "demo-tool %s: %s needs %s (got '%s')\n", command, option, wanted, text);
    else
        std::fprintf(stderr, "demo-tool %s: %s needs %s\n", command, option, wanted);
    return false;
}

bool readFloatOption(const char* command, const char* option, const char* text, float min, float max,
                     float& value) {
    char wanted[96];
    std::snprintf(wanted, sizeof wanted, "a number from %g to %g", static_cast<double>(min),
                  static_cast<double>(max));
    if (!text) return complain(command, option, wanted, text);
    char* end = nullptr;
    // Read as double so that values beyond float range are caught by the range check, not rounded to inf.
    const double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(parsed) || parsed < min || parsed > max)
        return complain(command, option, wanted, text);
    value = static_cast<float>(parsed);
    return true;
}

bool readIntOption(const char* command, const char* option, const char* text, int min, int max, int& value) {
    char wanted[96];
    std::snprintf(wanted, sizeof wanted, "a number from %d to %d (a whole one)", min, max);
    if (!text) return complain(command, option, wanted, text);
    char* end = nullptr;
    errno = 0;
    const long parsed = std::strtol(text, &end, 10);
    if (end == text || *end != '\0' || errno == ERANGE || parsed < min || parsed > max)
        return complain(command, option, wanted, text);
    value = static_cast<int>(parsed);
    return true;
}

bool readSizeOption(const char* command, const char* option, const char* text, int& width, int& height) {
    const char wanted[] = "a size WxH, each side from 1 to 8192";
    if (!text) return complain(command, option, wanted, text);
    int w = 0, h = 0;
    char tail = 0;
    if (std::sscanf(text, "%5dx%5d%c", &w, &h, &tail) != 2 || w < 1 || h < 1 || w > 8192 || h > 8192)
        return complain(command, option, wanted, text);
    width = w;
    height = h;
    return true;
}
