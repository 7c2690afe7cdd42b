#include "tools/demo_tool/progress.h"

#include <unistd.h>

#include <cstdio>

namespace {
constexpr double kQuietSeconds = 2.0;
constexpr double kTerminalEverySeconds = 0.25;
constexpr double kLogEverySeconds = 15.0;

double secondsSince(std::chrono::steady_clock::time_point from, std::chrono::steady_clock::time_point now) {
    return std::chrono::duration<double>(now - from).count();
}

// h:mm:ss, or m:ss under an hour.
void formatClock(double seconds, char* text, size_t size) {
    const long whole = seconds > 0.0 ? (long)(seconds + 0.5) : 0;
    if (whole >= 3600)
        std::snprintf(text, size, "%ld:%02ld:%02ld", whole / 3600, whole / 60 % 60, whole % 60);
    else
        std::snprintf(text, size, "%ld:%02ld", whole / 60, whole % 60);
}

void report(Progress& progress, int done, std::chrono::steady_clock::time_point now) {
    const double elapsed = secondsSince(progress.start, now);
    const double rate = elapsed > 0.0 ? done / elapsed : 0.0;
    char spent[32], left[32];
    formatClock(elapsed, spent, sizeof spent);
    if (rate > 0.0)
        formatClock((progress.total - done) / rate, left, sizeof left);
    else
        std::snprintf(left, sizeof left, "?");
    std::fprintf(stderr, "%sdemo-tool %s: frame %d/%d, %.2f fps, elapsed %s, left %s%s", progress.terminal ? "\r" : "",
                 progress.command, done, progress.total, rate, spent, left, progress.terminal ? "\033[K" : "\n");
    std::fflush(stderr);
    progress.shown = true;
    progress.lastReport = now;
}
}  // namespace

Progress startProgress(const char* command, int total) {
    Progress progress;
    progress.command = command;
    progress.total = total;
    progress.terminal = isatty(STDERR_FILENO) == 1;
    progress.start = progress.lastReport = std::chrono::steady_clock::now();
    return progress;
}

void updateProgress(Progress& progress, int done) {
    const auto now = std::chrono::steady_clock::now();
    if (secondsSince(progress.start, now) < kQuietSeconds) return;
    const double every = progress.terminal ? kTerminalEverySeconds : kLogEverySeconds;
    if (progress.shown && secondsSince(progress.lastReport, now) < every) return;
    report(progress, done, now);
}

void endProgress(Progress& progress, int done) {
    if (!progress.shown) return;
    report(progress, done, std::chrono::steady_clock::now());
    if (progress.terminal) std::fputc('\n', stderr);
}
