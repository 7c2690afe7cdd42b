#include "tests/e2e/world_compare.h"

#include <gtest/gtest.h>
#include <sys/wait.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "tests/support/scratch_dir.h"

std::string commandOutput(const std::string& command, int* exitCode) {
    std::string output;
    if (FILE* pipe = popen(command.c_str(), "r")) {
        char buffer[4096];
        size_t read;
        while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
        const int status = pclose(pipe);
        if (exitCode) *exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    output.erase(std::remove(output.begin(), output.end(), '\r'), output.end());
    return output;
}

std::string jsonDifference(const std::string& a, const std::string& b, double relative, double* worst) {
    size_t i = 0, j = 0;
    auto isNumberStart = [](const std::string& s, size_t at) {
        return std::isdigit(static_cast<unsigned char>(s[at])) || (s[at] == '-' && at + 1 < s.size());
    };
    while (i < a.size() && j < b.size()) {
        if (isNumberStart(a, i) && isNumberStart(b, j)) {
            char* endA = nullptr;
            char* endB = nullptr;
            const double x = std::strtod(a.c_str() + i, &endA), y = std::strtod(b.c_str() + j, &endB);
            const std::string textA = a.substr(i, static_cast<size_t>(endA - (a.c_str() + i)));
            const std::string textB = b.substr(j, static_cast<size_t>(endB - (b.c_str() + j)));
            const bool integers =
                textA.find_first_of(".eE") == std::string::npos && textB.find_first_of(".eE") == std::string::npos;
            const double scale = std::fmax(std::fabs(x), std::fabs(y));
            const double difference = scale > 0.0 ? std::fabs(x - y) / scale : 0.0;
            *worst = std::fmax(*worst, difference);
            if (integers ? textA != textB : difference > relative)
                return "at byte " + std::to_string(i) + ": " + textA + " against " + textB;
            i = static_cast<size_t>(endA - a.c_str());
            j = static_cast<size_t>(endB - b.c_str());
        } else if (a[i++] != b[j++]) {
            return "the texts part at byte " + std::to_string(i - 1);
        }
    }
    return i == a.size() && j == b.size() ? "" : "one text is longer";
}

void expectWorldMatchesLinux(const std::string& tool) {
    ScratchDir scratch;
    std::string raw(255 * 255, '\0');
    for (size_t i = 0; i < raw.size(); ++i) raw[i] = static_cast<char>((i * 37 + i / 255 * 11) % 256);
    scratch.write("a.raw", raw);
    for (const char* settings : {"", "--water-level 50", "--height-scale 55", "--use-raw --heights"}) {
        SCOPED_TRACE(settings);
        int linuxExit = -1, otherExit = -1;
        const std::string inScratch = "cd '" + scratch.path() + "' && ";
        const std::string linuxWorld = commandOutput(inScratch + BIN_DIR "/demo-tool world " + settings, &linuxExit);
        const std::string other = commandOutput(inScratch + tool + " world " + settings + " 2>/dev/null", &otherExit);
        ASSERT_EQ(linuxExit, 0);
        ASSERT_EQ(otherExit, 0);
        ASSERT_GT(linuxWorld.size(), 1000u);
        double worst = 0.0;
        EXPECT_EQ(jsonDifference(other, linuxWorld, 2e-5, &worst), "");
        std::printf("world %s: largest relative difference %g, texts %s\n", settings, worst,
                    other == linuxWorld ? "equal" : "differ");
    }
}
