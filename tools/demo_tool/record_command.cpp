// demo-tool record --out FILE [--size WxH] [--frames N | --seconds S] [--fps 60|30]
//                  [--quality CRF] [--keys SCRIPT]
// Runs the demo as `capture` does (its own start-up, then one main-loop
// iteration per frame on an offscreen context) and encodes the drawn frames
// as H.264 with the soundtrack as AAC, in MP4 or, for a .mkv name, Matroska.
// Iteration n is shown at (n - 1) / 60 s, so at 30 fps only every second
// iteration is drawn. The file is written as FILE.part and renamed when it is
// complete; SIGINT or SIGTERM stops the run and completes the file with the
// frames done. Bad input exits with 2 before anything is rendered or written.
#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/headless.h"
#include "demo/demo.h"
#include "platform/sound.h"
#include "tools/demo_tool/key_script.h"
#include "tools/demo_tool/options.h"
#include "tools/demo_tool/progress.h"
#include "tools/demo_tool/video_encoder.h"

namespace {
const char kUsage[] =
    "usage: demo-tool record --out FILE.mp4|FILE.mkv [--size WxH] [--frames N | --seconds S]\n"
    "                        [--fps 60|30] [--quality CRF] [--keys SCRIPT]\n"
    "  Records the demo offscreen as H.264 video with the soundtrack as AAC.\n"
    "  Default: the whole timeline (72 s) at 1280x720, 60 fps, quality 23 (x264's CRF,\n"
    "  0 lossless to 51; lower is better and larger). --frames counts video frames.\n"
    "  SCRIPT: FRAME:KEY:down|up items as for capture; FRAME counts demo iterations.\n"
    "  Ctrl+C stops the run and keeps a playable file of the frames done.\n"
    "  Prints one JSON line: frames, size, fps, duration, bytes, render and encode medians.\n";

constexpr int kTimelineIterations = 4320;  // nine acts of 480 iterations
constexpr int kMaxFrames = 10000000;
constexpr int kMaxSide = 8192;
constexpr int kMaxMacroblocks = 139264;  // H.264's largest frame (level 6.2), in 16x16 blocks
const char kSoundtrackPath[] = "data/fiesta2018.wav";  // what the demo's start-up plays

volatile sig_atomic_t g_stopSignal = 0;  // set by SIGINT or SIGTERM

void onStopSignal(int signal) { g_stopSignal = signal; }

// Ctrl+C once finishes the file; a second one ends the process as usual.
void catchStopSignals() {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int badInput(const std::string& message) {
    std::fprintf(stderr, "demo-tool record: %s\n", message.c_str());
    return 2;
}

int failure(const std::string& message) {
    std::fprintf(stderr, "demo-tool record: %s\n", message.c_str());
    return 1;
}

// The muxer for the file name's extension, or null.
const char* containerFor(const std::string& path) {
    std::string extension = std::filesystem::path(path).extension().string();
    for (char& c : extension) c = (char)std::tolower((unsigned char)c);
    if (extension == ".mp4") return "mp4";
    if (extension == ".mkv") return "matroska";
    return nullptr;
}

double milliseconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

double median(std::vector<double> samples) {
    if (samples.empty()) return 0.0;
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}
}  // namespace

int recordCommand(int argc, char** argv) {
    std::string outPath, keyScript;
    int width = 1280, height = 720, fps = 60, frames = 0;
    float seconds = 0.0f, quality = 23.0f;
    for (int i = 0; i < argc; ++i) {
        const std::string option = argv[i];
        const char* value = i + 1 < argc ? argv[++i] : nullptr;  // null: the option came last
        if (option == "--out" || option == "--keys") {
            if (!value) return badInput(option + " needs a value");
            (option == "--out" ? outPath : keyScript) = value;
        } else if (option == "--size") {
            if (!readSizeOption("record", "--size", value, width, height)) return kBadOptionExit;
        } else if (option == "--frames") {
            if (!readIntOption("record", "--frames", value, 1, kMaxFrames, frames)) return kBadOptionExit;
        } else if (option == "--seconds") {
            if (!readFloatOption("record", "--seconds", value, 0.001f, kMaxFrames / 60.0f, seconds))
                return kBadOptionExit;
        } else if (option == "--fps") {
            if (!readIntOption("record", "--fps", value, 30, 60, fps)) return kBadOptionExit;
            if (fps != 30 && fps != 60) return badInput(std::string("--fps must be 60 or 30, not '") + value + "'");
        } else if (option == "--quality") {
            if (!readFloatOption("record", "--quality", value, 0.0f, 51.0f, quality)) return kBadOptionExit;
        } else {
            return badInput("unknown option '" + option + "'\n" + kUsage);
        }
    }
    if (outPath.empty()) return badInput(std::string("--out is required\n") + kUsage);
    if (frames > 0 && seconds > 0) return badInput("--frames and --seconds exclude each other");
    if (seconds > 0) frames = std::max(1, (int)std::lround(seconds * fps));
    if (frames == 0) frames = kTimelineIterations * fps / 60;
    const int step = 60 / fps;  // iterations per video frame
    const int iterations = frames * step;

    const char* container = containerFor(outPath);
    if (!container) return badInput("unknown container for '" + outPath + "' (the name must end in .mp4 or .mkv)");
    if (width % 2 != 0 || height % 2 != 0)
        return badInput("the size must be even for H.264 in yuv420p, not " + std::to_string(width) + "x" +
                        std::to_string(height));
    if (width > kMaxSide || height > kMaxSide || (long)((width + 15) / 16) * ((height + 15) / 16) > kMaxMacroblocks)
        return badInput("the size " + std::to_string(width) + "x" + std::to_string(height) +
                        " is too large for H.264 (at most 8192 wide or high and 139264 blocks of 16x16, "
                        "e.g. 7680x4320)");
    std::vector<KeyEvent> keyEvents;
    std::string error;
    if (!keyScript.empty() && !parseKeyScript(keyScript, iterations, keyEvents, error)) return badInput(error);

    const std::filesystem::path outFile(outPath);
    const std::filesystem::path folder = outFile.parent_path().empty() ? "." : outFile.parent_path();
    std::error_code fileError;
    if (!std::filesystem::is_directory(folder, fileError))
        return badInput("the folder '" + folder.string() + "' does not exist");
    if (std::filesystem::is_directory(outFile, fileError)) return badInput("'" + outPath + "' is a folder");
    // The renderer's start-up ends the process when a shader does not build:
    // say why before that can happen.
    if (!std::filesystem::exists("shaders/static_meshes_vs.glsl"))
        return badInput("shaders/ not found: run from the repository root");

    // Ctrl+C from here on stops the run cleanly, during start-up too.
    catchStopSignals();
    Soundtrack soundtrack = readSoundtrack(kSoundtrackPath);
    if (soundtrack.samples.empty())
        std::fprintf(stderr, "demo-tool record: %s cannot be read; the video is silent\n", kSoundtrackPath);

    // The output is opened only once start-up has succeeded: a shader that
    // does not build ends the process during start-up, and must leave nothing.
    const bool started = !g_stopSignal && startHeadless(width, height, demoCallbacks());
    if (g_stopSignal) {
        std::fprintf(stderr, "demo-tool record: interrupted before the first frame; nothing written\n");
        return 128 + g_stopSignal;
    }
    if (!started) return failure("the demo's start-up failed or quit before the first frame");

    // Written under another name until complete: a run that fails leaves
    // nothing behind, and an existing FILE is kept until then.
    const std::string partPath = outPath + ".part";
    VideoSettings settings;
    settings.path = partPath;
    settings.container = container;
    settings.width = width;
    settings.height = height;
    settings.fps = fps;
    settings.crf = quality;
    VideoEncoder* encoder = openVideoEncoder(settings, soundtrack, &error);
    if (!encoder) {
        std::filesystem::remove(partPath, fileError);
        return badInput(error);
    }
    auto abandon = [&](const std::string& message) {
        closeVideoEncoder(encoder);
        std::filesystem::remove(partPath, fileError);
        return failure(message);
    };

    std::vector<double> renderMs, encodeMs;
    std::vector<unsigned char> pixels;
    size_t nextEvent = 0;
    int framesDone = 0, iterationsRun = 0;
    Progress progress = startProgress("record", frames);
    for (int iteration = 1; iteration <= iterations && !g_stopSignal; ++iteration) {
        postKeyEvents(keyEvents, iteration, &nextEvent);
        const bool drawn = (iteration - 1) % step == 0;
        const HeadlessIteration run = runHeadlessIteration(drawn);
        if (!run.ran) break;  // Escape: this iteration was not run
        iterationsRun = iteration;
        if (drawn) {
            renderMs.push_back(run.renderMs);
            const auto encodeStart = std::chrono::steady_clock::now();
            readHeadlessFrame(pixels);
            if (!encodeVideoFrame(encoder, pixels.data(), &error)) return abandon(error);
            encodeMs.push_back(milliseconds(encodeStart));
            updateProgress(progress, ++framesDone);
        }
        if (!run.goOn) break;
    }
    endProgress(progress, framesDone);

    const int stopSignal = g_stopSignal;
    if (framesDone == 0) {
        closeVideoEncoder(encoder);
        std::filesystem::remove(partPath, fileError);
        if (stopSignal) {
            std::fprintf(stderr, "demo-tool record: interrupted before the first frame; nothing written\n");
            return 128 + stopSignal;
        }
        return failure("the demo ended before its first frame; nothing written");
    }
    if (!finishVideo(encoder, &error)) return abandon(error);
    closeVideoEncoder(encoder);
    std::filesystem::rename(partPath, outPath, fileError);
    if (fileError) {
        std::filesystem::remove(partPath, fileError);
        return failure(outPath + ": " + fileError.message());
    }

    const double duration = (double)framesDone / fps;
    if (stopSignal)
        std::fprintf(stderr, "demo-tool record: interrupted by %s after frame %d of %d; %s holds %.2f s\n",
                     stopSignal == SIGINT ? "SIGINT" : "SIGTERM", framesDone, frames, outPath.c_str(), duration);
    else if (framesDone < frames)
        std::fprintf(stderr, "demo-tool record: the demo ended after iteration %d; %s holds %d of %d frames\n",
                     iterationsRun, outPath.c_str(), framesDone, frames);
    const auto bytes = std::filesystem::file_size(outPath, fileError);
    std::printf(
        "{\"frames\": %d, \"width\": %d, \"height\": %d, \"fps\": %d, \"duration\": %.3f, \"bytes\": %lld, "
        "\"renderMedianMs\": %.3f, \"encodeMedianMs\": %.3f}\n",
        framesDone, width, height, fps, duration, fileError ? -1LL : (long long)bytes, median(renderMs),
        median(encodeMs));
    return stopSignal ? 128 + stopSignal : 0;
}
