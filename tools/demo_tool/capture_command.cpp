// demo-tool capture --out DIR --frames N [--at F1,F2,... | --every K]
//                   [--size WxH] [--keys SCRIPT] [--sheet FILE.png] [--fast-forward]
//                   [--full-detail]
// Runs the demo exactly as the demo executable does (start-up, then one main
// loop iteration per frame) on an offscreen context of the given size, with
// no display, no vertical synchronisation and no sound. Frames are numbered
// from 1, the first iteration. The chosen frames (default: the last) are read
// back and written to DIR as frame-NNNNN.png; --sheet also writes them side by
// side in one labelled image. SCRIPT posts key transitions into the message
// queue before the iteration of the given frame: "60:Q:down,120:Q:up". An
// Escape ends the run as it ends the demo. --fast-forward draws only the saved
// frames (the others are updated, not drawn): the timeline's later acts are
// reached in seconds instead of minutes on a software renderer. Runs longer
// than two seconds report progress on standard error. Prints one JSON line of
// timings; renderMs covers the drawn frames and includes the GL work finished
// after the swap. --full-detail draws every mesh at full detail (no coarser
// levels for small far-away instances), as the engine drew before it had them.
#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/headless.h"
#include "demo/demo.h"
#include "demo/demo_world.h"
#include "image/png_writer.h"
#include "render/visibility.h"
#include "tools/demo_tool/key_script.h"
#include "tools/demo_tool/options.h"
#include "tools/demo_tool/progress.h"

namespace {
const char kUsage[] =
    "usage: demo-tool capture --out DIR --frames N [--at F1,F2,... | --every K] [--size WxH]\n"
    "                         [--keys SCRIPT] [--sheet FILE.png] [--fast-forward] [--full-detail]\n"
    "  Runs N main-loop iterations of the demo offscreen (default size 1920x1080, no sound).\n"
    "  Frames are numbered from 1 (the first iteration). --at lists the frames to save,\n"
    "  --every K saves frames K, 2K, ...; without either the last frame is saved.\n"
    "  SCRIPT: FRAME:KEY:down|up items separated by commas, e.g. 60:Q:down,120:Q:up;\n"
    "  KEY is a letter, a digit, Escape, Enter, Space, Up, Down, Left, Right, Shift or\n"
    "  Control. The event is queued before that frame's iteration; Escape ends the run.\n"
    "  --sheet also writes the saved frames in one image, labelled with frame and act.\n"
    "  --fast-forward draws only the saved frames; the others are updated, not drawn.\n"
    "  --full-detail draws every mesh at full detail, also where it is a few pixels small.\n"
    "  Prints one JSON line: frames run, size, and median and 95th percentile\n"
    "  milliseconds of the update, the render (drawn frames) and the read-back.\n";

constexpr int kMaxFrames = 10000000;

struct CapturedFrame {
    int frame = 0;
    int act = 0;
    std::vector<unsigned char> rgba;  // top row first
};

int fail(const std::string& message) {
    std::fprintf(stderr, "demo-tool capture: %s\n", message.c_str());
    return 1;
}

std::string framePath(const std::string& directory, int frame) {
    char name[32];
    std::snprintf(name, sizeof name, "frame-%05d.png", frame);
    return (std::filesystem::path(directory) / name).string();
}

// Draws `text` in white into an RGBA image with its baseline at (x, baseline).
void drawLabel(FT_Face face, const std::string& text, int x, int baseline, int width, int height,
               std::vector<unsigned char>& rgba) {
    for (char c : text) {
        if (FT_Load_Char(face, (FT_ULong)(unsigned char)c, FT_LOAD_RENDER) != 0) continue;
        const FT_GlyphSlot glyph = face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            for (unsigned column = 0; column < bitmap.width; ++column) {
                int px = x + glyph->bitmap_left + (int)column;
                int py = baseline - glyph->bitmap_top + (int)row;
                if (px < 0 || py < 0 || px >= width || py >= height) continue;
                unsigned coverage = bitmap.buffer[row * bitmap.pitch + column];
                unsigned char* pixel = &rgba[((size_t)py * width + px) * 4];
                for (int channel = 0; channel < 3; ++channel)
                    pixel[channel] = (unsigned char)((pixel[channel] * (255 - coverage) + 255 * coverage) / 255);
            }
        }
        x += (int)(glyph->advance.x >> 6);
    }
}

// A sheet lays the frames out in a square-ish grid, each under a strip that
// names its frame and act.
struct SheetLayout {
    int columns, rows, labelPixels, stripHeight, gap, cellHeight, width, height;
};

SheetLayout sheetLayout(int count, int frameWidth, int frameHeight) {
    SheetLayout layout;
    layout.columns = std::max(1, (int)std::ceil(std::sqrt((double)count)));
    layout.rows = std::max(1, (count + layout.columns - 1) / layout.columns);
    layout.labelPixels = std::clamp(frameHeight / 16, 10, 40);
    layout.stripHeight = layout.labelPixels * 3 / 2;
    layout.gap = 2;
    layout.cellHeight = frameHeight + layout.stripHeight;
    layout.width = layout.columns * frameWidth + (layout.columns - 1) * layout.gap;
    layout.height = layout.rows * layout.cellHeight + (layout.rows - 1) * layout.gap;
    return layout;
}

// The sheet's pixels plus the frames kept for it.
double sheetBytes(int count, int frameWidth, int frameHeight) {
    const SheetLayout layout = sheetLayout(count, frameWidth, frameHeight);
    return 4.0 * ((double)layout.width * layout.height + (double)count * frameWidth * frameHeight);
}
constexpr double kMaxSheetBytes = 2.0 * 1024 * 1024 * 1024;

bool writeSheet(const std::string& path, const std::vector<CapturedFrame>& frames, int width, int height,
                std::string& error) {
    const int count = (int)frames.size();
    const SheetLayout layout = sheetLayout(count, width, height);
    const int columns = layout.columns, labelPixels = layout.labelPixels, stripHeight = layout.stripHeight;
    const int gap = layout.gap, cellHeight = layout.cellHeight;
    const int sheetWidth = layout.width, sheetHeight = layout.height;
    std::vector<unsigned char> sheet((size_t)sheetWidth * sheetHeight * 4, 0);
    for (size_t i = 3; i < sheet.size(); i += 4) sheet[i] = 255;

    FT_Library library = nullptr;
    FT_Face face = nullptr;
    if (FT_Init_FreeType(&library) != 0 || FT_New_Face(library, "data/arial.ttf", 0, &face) != 0) {
        std::fputs("demo-tool capture: data/arial.ttf cannot be opened; the sheet has no labels\n", stderr);
        face = nullptr;
    } else {
        FT_Set_Pixel_Sizes(face, 0, (FT_UInt)labelPixels);
    }

    for (int i = 0; i < count; ++i) {
        const int left = (i % columns) * (width + gap);
        const int top = (i / columns) * (cellHeight + gap);
        for (int y = 0; y < height; ++y)
            std::memcpy(&sheet[((size_t)(top + stripHeight + y) * sheetWidth + left) * 4],
                        &frames[i].rgba[(size_t)y * width * 4], (size_t)width * 4);
        if (face) {
            std::string label = "frame " + std::to_string(frames[i].frame) + "   act " + std::to_string(frames[i].act);
            drawLabel(face, label, left + labelPixels / 2, top + labelPixels * 6 / 5, sheetWidth, sheetHeight, sheet);
        }
    }
    if (face) FT_Done_Face(face);
    if (library) FT_Done_FreeType(library);

    if (writePng(path.c_str(), sheetWidth, sheetHeight, sheet.data(), true, &error)) return true;
    error = path + ": " + error;
    return false;
}

double milliseconds(std::chrono::steady_clock::time_point from) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - from).count();
}

// {"median": m, "p95": p} by nearest rank; nulls without samples.
std::string summary(std::vector<double> samples) {
    if (samples.empty()) return "{\"median\": null, \"p95\": null}";
    std::sort(samples.begin(), samples.end());
    auto rank = [&](double share) {
        size_t index = (size_t)std::ceil(share * samples.size());
        return samples[index > 0 ? index - 1 : 0];
    };
    char text[96];
    std::snprintf(text, sizeof text, "{\"median\": %.3f, \"p95\": %.3f}", rank(0.5), rank(0.95));
    return text;
}
}  // namespace

int captureCommand(int argc, char** argv) {
    std::string outDirectory, sheetPath, keyScript, atList;
    int frames = 0, every = 0, width = 1920, height = 1080;
    bool fastForward = false;
    for (int i = 0; i < argc; ++i) {
        const std::string option = argv[i];
        if (option == "--fast-forward") {
            fastForward = true;
            continue;
        }
        if (option == "--full-detail") {
            setDetailPixels(0.0f);
            continue;
        }
        const char* value = i + 1 < argc ? argv[++i] : nullptr;
        if (option == "--frames") {
            if (!readIntOption("capture", "--frames", value, 1, kMaxFrames, frames)) return kBadOptionExit;
            continue;
        }
        if (option == "--every") {
            if (!readIntOption("capture", "--every", value, 1, kMaxFrames, every)) return kBadOptionExit;
            continue;
        }
        if (option == "--size") {
            if (!readSizeOption("capture", "--size", value, width, height)) return kBadOptionExit;
            continue;
        }
        if (!value) return fail("missing value after " + option + "\n" + kUsage);
        if (option == "--out") {
            outDirectory = value;
        } else if (option == "--at") {
            atList = value;
        } else if (option == "--keys") {
            keyScript = value;
        } else if (option == "--sheet") {
            sheetPath = value;
        } else {
            return fail("unknown option '" + option + "'\n" + kUsage);
        }
    }
    if (outDirectory.empty() || frames == 0) return fail(std::string("--out and --frames are required\n") + kUsage);
    if (!atList.empty() && every > 0) return fail("--at and --every exclude each other");

    // Which frames to save, ascending and without repeats.
    std::vector<int> chosen;
    if (!atList.empty()) {
        for (const std::string& item : split(atList, ',')) {
            int frame = 0;
            if (!readIntOption("capture", "--at", item.c_str(), 1, frames, frame)) return kBadOptionExit;
            chosen.push_back(frame);
        }
        std::sort(chosen.begin(), chosen.end());
        chosen.erase(std::unique(chosen.begin(), chosen.end()), chosen.end());
    } else if (every > 0) {
        for (int frame = every; frame <= frames; frame += every) chosen.push_back(frame);
    } else {
        chosen.push_back(frames);
    }

    if (!sheetPath.empty() && sheetBytes((int)chosen.size(), width, height) > kMaxSheetBytes)
        return fail("too many or too large frames for one sheet");

    std::vector<KeyEvent> keyEvents;
    std::string error;
    if (!keyScript.empty() && !parseKeyScript(keyScript, frames, keyEvents, error)) return fail(error);

    // The renderer's start-up ends the process when a shader does not build:
    // say why before that can happen.
    if (!std::filesystem::exists("shaders/static_meshes_vs.glsl"))
        return fail("shaders/ not found: run from the repository root");
    if (!std::filesystem::exists("data/.complete"))
        std::fputs(
            "demo-tool capture: data/ is incomplete (run build/bin/generate-data data); "
            "missing assets draw nothing\n",
            stderr);
    std::error_code directoryError;
    std::filesystem::create_directories(outDirectory, directoryError);
    if (directoryError) return fail(outDirectory + ": " + directoryError.message());

    if (!startHeadless(width, height, demoCallbacks()))
        return fail("the demo's start-up failed or quit before the first frame");

    std::vector<double> updateMs, renderMs, readbackMs;
    std::vector<CapturedFrame> sheetFrames;
    std::vector<unsigned char> pixels;
    size_t nextEvent = 0, nextChosen = 0;
    int framesRun = 0;
    Progress progress = startProgress("capture", frames);
    for (int frame = 1; frame <= frames; ++frame) {
        postKeyEvents(keyEvents, frame, &nextEvent);
        const bool saved = nextChosen < chosen.size() && chosen[nextChosen] == frame;
        const HeadlessIteration iteration = runHeadlessIteration(saved || !fastForward);
        if (!iteration.ran) break;  // Escape: this frame was not run
        framesRun = frame;
        updateMs.push_back(iteration.updateMs);
        if (saved || !fastForward) renderMs.push_back(iteration.renderMs);

        if (saved) {
            ++nextChosen;
            const auto readStart = std::chrono::steady_clock::now();
            readHeadlessFrame(pixels);
            readbackMs.push_back(milliseconds(readStart));
            const std::string path = framePath(outDirectory, frame);
            if (!writePng(path.c_str(), width, height, pixels.data(), false, &error)) return fail(path + ": " + error);
            if (!sheetPath.empty()) sheetFrames.push_back(CapturedFrame{frame, demoWorld().currentAct, pixels});
        }
        updateProgress(progress, framesRun);
        if (!iteration.goOn) break;
    }
    endProgress(progress, framesRun);
    if (nextChosen < chosen.size())
        std::fprintf(stderr, "demo-tool capture: the run ended after frame %d; frame %d and later were not drawn\n",
                     framesRun, chosen[nextChosen]);
    if (!sheetPath.empty() && !sheetFrames.empty() && !writeSheet(sheetPath, sheetFrames, width, height, error))
        return fail(error);

    std::printf(
        "{\"frames\": %d, \"width\": %d, \"height\": %d, \"updateMs\": %s, \"renderMs\": %s, "
        "\"readbackMs\": %s}\n",
        framesRun, width, height, summary(updateMs).c_str(), summary(renderMs).c_str(), summary(readbackMs).c_str());
    return 0;
}
