#include "tools/demo_tool/options.h"

#include <cerrno>
#include <cfloat>
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

// The shortest decimal text that reads back as exactly `bound`, so that the
// bounds in a message are accepted when typed as printed.
static void printFloat(char* out, size_t size, float bound) {
    for (int digits = 1; digits <= 9; ++digits) {
        std::snprintf(out, size, "%.*g", digits, static_cast<double>(bound));
        if (std::strtof(out, nullptr) == bound) return;
    }
}

bool readFloatOption(const char* command, const char* option, const char* text, float min, float max, float& value) {
    char low[32], high[32], wanted[96];
    printFloat(low, sizeof low, min);
    printFloat(high, sizeof high, max);
    std::snprintf(wanted, sizeof wanted, "a number from %s to %s", low, high);
    if (!text) return complain(command, option, wanted, text);
    char* end = nullptr;
    // Read as double so that values beyond float range are refused, not rounded to inf; the bounds
    // are then checked on the float that is stored.
    const double parsed = std::strtod(text, &end);
    if (end == text || *end != '\0' || !std::isfinite(parsed) || std::fabs(parsed) > FLT_MAX)
        return complain(command, option, wanted, text);
    const float stored = static_cast<float>(parsed);
    if (stored < min || stored > max) return complain(command, option, wanted, text);
    value = stored;
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
