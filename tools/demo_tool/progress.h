// Progress of a long run on standard error. On a terminal one line is
// rewritten in place; otherwise a plain line is printed now and then, so that
// logs stay readable. Short runs print nothing: the first report comes two
// seconds after the start.
#pragma once

#include <chrono>

struct Progress {
    const char* command = "";  // "record", "capture": the line's prefix
    int total = 0;
    bool terminal = false;
    bool shown = false;  // a report has been printed
    std::chrono::steady_clock::time_point start, lastReport;
};

Progress startProgress(const char* command, int total);
// `done` frames of the total are finished.
void updateProgress(Progress& progress, int done);
// Prints the final state if a report was shown, ending the terminal line.
void endProgress(Progress& progress, int done);
