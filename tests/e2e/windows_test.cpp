// The Windows build (tools/build-windows.sh) run as a user would under Wine:
// demo.exe in a window on a private X server, and demo-tool.exe against the
// Linux demo-tool.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <set>
#include <sstream>
#include <string>
#include <thread>

#include "tests/e2e/capture_run.h"
#include "tests/e2e/world_compare.h"
#include "tests/e2e/x_session.h"
#include "tests/support/scratch_dir.h"

namespace {
const std::string kWindowsBin = SOURCE_DIR "/build-windows/bin/";
const std::string kWine = SOURCE_DIR "/tools/windows/wine-run.sh";

// Skips unless the Windows programs have been built and Wine is there.
bool windowsBuildMissing() { return !std::filesystem::exists(kWindowsBin + "demo.exe") || !haveCommand("wine"); }

// Waits until every program in the Wine prefix has ended and its server
// with them. The first program of a session starts Wine's desktop process,
// and every later one shares that process's display (or its lack of one):
// runs with and without a display must not overlap.
void waitForWineToEnd() {
    commandOutput("WINEPREFIX='" SOURCE_DIR "/build-windows/wine' wineserver --wait 2>/dev/null");
}

// "key=value" lines of win32-probe.
std::map<std::string, std::string> probe(const XvfbServer& server, const std::string& arguments) {
    std::map<std::string, std::string> fields;
    std::string text = server.run(kWine + " " + kWindowsBin + "win32-probe.exe " + arguments);
    text.erase(std::remove(text.begin(), text.end(), '\r'), text.end());  // Windows line ends
    std::istringstream lines(text);
    std::string line;
    while (std::getline(lines, line)) {
        const size_t equals = line.find('=');
        if (equals != std::string::npos) fields[line.substr(0, equals)] = line.substr(equals + 1);
    }
    return fields;
}

// The 32x32 entry of the _NET_WM_ICON that Wine gives demo.exe's top-level X
// window (from the window class's icon); empty if none has one.
Picture windowIcon32(const XvfbServer& server) {
    Picture icon;
    std::istringstream ids(server.run("xdotool search --class demo.exe"));
    for (std::string id; icon.rgb.empty() && ids >> id;) {
        const std::string text = server.run("xprop -id " + id + " -f _NET_WM_ICON 32c '=$0+' _NET_WM_ICON");
        if (text.find('=') == std::string::npos) continue;
        std::istringstream values(text.substr(text.find('=') + 1));
        std::vector<uint32_t> argb;
        for (std::string value; std::getline(values, value, ',');)
            argb.push_back(std::strtoul(value.c_str(), nullptr, 10));
        if (argb.size() < 2 + 32 * 32 || argb[0] != 32 || argb[1] != 32) continue;
        icon.width = icon.height = 32;
        for (size_t i = 2; i < 2 + 32 * 32; ++i)
            for (int shift : {16, 8, 0}) icon.rgb.push_back(static_cast<unsigned char>(argb[i] >> shift));
    }
    return icon;
}

// "a,b,c,d" as four integers.
std::vector<int> numbers(const std::string& text) {
    std::vector<int> values;
    std::istringstream parts(text);
    std::string part;
    while (std::getline(parts, part, ',')) values.push_back(std::atoi(part.c_str()));
    return values;
}

// Sets the display scale of the Wine prefix (96 is 100 %) for the programs
// started after it; put back to 100 % when it goes.
struct WineDisplayScale {
    explicit WineDisplayScale(int dotsPerInch) { set(dotsPerInch); }
    ~WineDisplayScale() { set(96); }
    static void set(int dotsPerInch) {
        waitForWineToEnd();
        commandOutput("DISPLAY= " + kWine + " reg add 'HKCU\\Control Panel\\Desktop' /v LogPixels /t REG_DWORD /d " +
                      std::to_string(dotsPerInch) + " /f > /dev/null 2>&1");
        waitForWineToEnd();
    }
};

// The best match of `screen` among capture's pictures at `steps` of the given
// size, each cut to its bottom screen.height rows as a window that height
// would show a picture drawn for the whole size.
double bestCaptureMatch(const Picture& screen, const std::string& folder, const std::vector<int>& steps, int width,
                        int height) {
    std::string at;
    for (int step : steps) at += (at.empty() ? "" : ",") + std::to_string(step);
    std::filesystem::create_directories(folder);
    const ToolRun capture =
        runCapture("--out " + folder + " --frames " + std::to_string(steps.back()) + " --at " + at + " --size " +
                       std::to_string(width) + "x" + std::to_string(height) + " --fast-forward",
                   folder + "/errors.txt");
    EXPECT_EQ(capture.exitCode, 0) << capture.errors;
    double best = 255.0;
    for (int step : steps) {
        char name[32];
        std::snprintf(name, sizeof name, "/frame-%05d.png", step);
        const Picture picture = readPicture(folder + name);
        const Picture shown = cropPicture(picture, 0, picture.height - screen.height, screen.width, screen.height);
        best = std::min(best, meanDifference(screen, shown));
    }
    return best;
}
}  // namespace

// One walk through what a Windows user sees: the world demo-tool.exe prints,
// the window, the landscape in it, Escape, the close button, one frame of
// the offscreen capture, all against Linux, and a start without a display.
// (One test: the programs of one Wine prefix share its windows and its
// display, so these runs must not overlap.)
TEST(WindowsBuild, DemoUnderWineBehavesAsOnLinux) {
    if (windowsBuildMissing()) GTEST_SKIP() << "no Windows build: run tools/build-windows.sh";
    for (const char* tool : {"Xvfb", "xdotool", "xwd", "convert"})
        if (!haveCommand(tool)) GTEST_SKIP() << tool << " is not installed";
    const int width = 640, height = 400;
    XvfbServer server(width, height);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    waitForWineToEnd();
    expectWorldMatchesLinux("DISPLAY= " + kWine + " " + kWindowsBin + "demo-tool.exe");
    waitForWineToEnd();
    // Both programs carry the manifest that makes them per-monitor DPI aware.
    for (const char* program : {"demo.exe", "demo-tool.exe"}) {
        const std::string manifest =
            server.run(kWine + " " + kWindowsBin + "win32-probe.exe manifest " + kWindowsBin + program);
        EXPECT_NE(manifest.find(">true/pm<"), std::string::npos) << program << ": " << manifest;
        EXPECT_NE(manifest.find(">PerMonitorV2, PerMonitor<"), std::string::npos) << program;
    }

    ScratchDir scratch;
    const std::vector<std::string> demo = {kWine, kWindowsBin + "demo.exe"};

    {
        const auto started = std::chrono::steady_clock::now();
        DemoProcess process(server.display(), scratch.file("stderr.txt"), demo);
        // The title is ":-)" from creation until the engine start-up empties it.
        std::map<std::string, std::string> window = probe(server, "window 60");
        for (int tries = 0; tries < 60 && window["found"] == "1" && window["title_length"] != "0"; ++tries) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            window = probe(server, "window 0");
        }
        ASSERT_EQ(window["found"], "1") << readFile(scratch.file("stderr.txt"));
        EXPECT_EQ(window["visible"], "1");
        EXPECT_EQ(window["title_length"], "0");
        EXPECT_EQ(window["style"], "0x14ca0000");  // visible, clip siblings, caption, system menu, minimise box
        EXPECT_EQ(std::strtoul(window["ex_style"].c_str(), nullptr, 16) & 0x10, 0x10u);  // accepts files
        EXPECT_EQ(window["dpi_awareness"], "2") << "not per-monitor DPI aware";
        const std::vector<int> client = numbers(window["client"]), work = numbers(window["work_area"]);
        ASSERT_EQ(client.size(), 4u);
        ASSERT_EQ(work.size(), 4u);
        EXPECT_EQ(client[0], work[0]);
        EXPECT_EQ(client[1], work[1]);
        EXPECT_EQ(client[2], work[2]);
        // With no task bar the work area is the whole screen, and Windows
        // (Wine too) limits a window to the screen plus a frame's thickness:
        // the caption above the top edge takes the difference off the height.
        EXPECT_LE(client[3], work[3]);
        EXPECT_GE(client[3], work[3] - 40);

        const std::string shot = scratch.file("screen.png");
        Picture picture;
        for (auto start = std::chrono::steady_clock::now();
             std::chrono::steady_clock::now() - start < std::chrono::seconds(60);) {
            std::this_thread::sleep_for(std::chrono::seconds(1));
            server.run("xwd -root -silent | convert xwd:- " + shot);
            picture = readPicture(shot);
            // (The window's white background reads as cloud until the first frame.)
            if (picture.width == width && pixelShares(picture, 0, height / 2).share[PIXEL_SKY] > 0.03 &&
                pixelShares(picture, height / 2, client[3]).share[PIXEL_LAND] > 0.5)
                break;
        }
        ASSERT_EQ(picture.width, width) << "no screenshot";
        EXPECT_GT(pixelShares(picture, height / 2, client[3]).share[PIXEL_LAND], 0.5) << "no terrain on screen";
        EXPECT_GT(pixelShares(picture, 0, height / 2).share[PIXEL_SKY], 0.03) << "no day sky above";

        // The window shows the whole picture drawn for its client area: it
        // matches capture at the client's size (the demo keeps real time, so
        // it is at one of the steps since the start), better than the bottom
        // rows of a picture drawn for the taller work area.
        const int stepsSoFar =
            (int)(60 * std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count());
        std::vector<int> steps;
        for (int step = 3; step <= stepsSoFar; step += 3) steps.push_back(step);
        ASSERT_FALSE(steps.empty());
        const Picture shown = cropPicture(picture, client[0], client[1], client[2], client[3]);
        const double clientMatch = bestCaptureMatch(shown, scratch.file("client"), steps, client[2], client[3]);
        const double workMatch = bestCaptureMatch(shown, scratch.file("work"), steps, work[2], work[3]);
        std::printf("window against capture: %.2f at %dx%d, %.2f at %dx%d\n", clientMatch, client[2], client[3],
                    workMatch, work[2], work[3]);
        EXPECT_LT(clientMatch, 25.0);
        if (client[3] != work[3]) {
            EXPECT_LT(clientMatch, workMatch) << "the picture was drawn for another size";
        }

        server.run("xdotool mousemove " + std::to_string(width / 2) + " " + std::to_string(height / 2) + " key Escape");
        ASSERT_TRUE(process.waitForExit(30.0)) << "demo.exe did not end on Escape";
        EXPECT_EQ(process.exitCode(), 0);
    }
    {
        DemoProcess process(server.display(), scratch.file("stderr.txt"), demo);
        ASSERT_EQ(probe(server, "close 60")["found"], "1") << "no window to close";
        ASSERT_TRUE(process.waitForExit(30.0)) << "demo.exe did not end on WM_CLOSE";
        EXPECT_EQ(process.exitCode(), 0);
    }
    // One frame of the offscreen capture (a hidden WGL window) against the
    // Linux frame: the same but for a few pixels of scattered models placed
    // one rounding step apart (see expectWorldMatchesLinux).
    const std::string arguments = " capture --frames 2 --at 2 --size 320x180 --out ";
    std::filesystem::create_directories(scratch.file("windows"));
    std::filesystem::create_directories(scratch.file("linux"));
    int exitCode = -1;
    server.run(kWine + " " + kWindowsBin + "demo-tool.exe" + arguments + scratch.file("windows") +
               " > /dev/null; echo $? > " + scratch.file("exit.txt"));
    EXPECT_EQ(readFile(scratch.file("exit.txt")), "0\n");
    commandOutput(BIN_DIR "/demo-tool" + arguments + scratch.file("linux") + " 2>/dev/null", &exitCode);
    ASSERT_EQ(exitCode, 0);
    const Picture windows = readPicture(scratch.file("windows/frame-00002.png"));
    const Picture linuxFrame = readPicture(scratch.file("linux/frame-00002.png"));
    ASSERT_EQ(windows.width, 320);
    ASSERT_EQ(windows.rgb.size(), linuxFrame.rgb.size());
    size_t differing = 0;
    for (size_t i = 0; i < windows.rgb.size(); i += 3)
        if (std::abs(windows.rgb[i] - linuxFrame.rgb[i]) + std::abs(windows.rgb[i + 1] - linuxFrame.rgb[i + 1]) +
                std::abs(windows.rgb[i + 2] - linuxFrame.rgb[i + 2]) >
            6)
            ++differing;
    std::printf("capture: %zu of %zu pixels differ\n", differing, windows.rgb.size() / 3);
    EXPECT_LT(differing, windows.rgb.size() / 3 / 200) << differing << " pixels differ";

    // At 150 % display scale the window still covers the work area in the
    // display's own pixels.
    {
        WineDisplayScale scale(144);
        DemoProcess process(server.display(), scratch.file("stderr.txt"), demo);
        std::map<std::string, std::string> window = probe(server, "window 60");
        ASSERT_EQ(window["found"], "1") << readFile(scratch.file("stderr.txt"));
        const std::vector<int> client = numbers(window["client"]), work = numbers(window["work_area"]);
        ASSERT_EQ(client.size(), 4u);
        ASSERT_EQ(work.size(), 4u);
        std::printf("at 144 dpi: client %dx%d, work area %dx%d\n", client[2], client[3], work[2], work[3]);
        EXPECT_EQ(window["dpi"], "144");
        EXPECT_EQ(work[2], width);
        EXPECT_EQ(client[2], work[2]);
        EXPECT_LE(client[3], work[3]);
        EXPECT_GE(client[3], work[3] - 60);  // the caption, at 150 %
        server.run("xdotool mousemove " + std::to_string(width / 2) + " " + std::to_string(height / 2) + " key Escape");
        ASSERT_TRUE(process.waitForExit(30.0)) << "demo.exe did not end on Escape";
    }

    waitForWineToEnd();
    {
        DemoProcess process("", scratch.file("stderr.txt"), demo);
        ASSERT_TRUE(process.waitForExit(60.0)) << "demo.exe without a display did not end";
        EXPECT_NE(process.exitCode(), 0);
        EXPECT_NE(readFile(scratch.file("stderr.txt")).find("Window Creation Failed!"), std::string::npos);
    }
    waitForWineToEnd();  // later Wine programs must not join this display-less session
}

// The package holds, beside demo.exe, every file the Linux run reads from its
// working folder: what generate-data writes (data/ and a.raw beside it) and
// the shaders with the files they include.
TEST(WindowsBuild, PackageHoldsEveryFileTheDemoReads) {
    const std::string zip = SOURCE_DIR "/build-windows/landscape-demo-windows.zip";
    if (!std::filesystem::exists(zip)) GTEST_SKIP() << "no Windows package: run tools/build-windows.sh";
    if (!haveCommand("unzip")) GTEST_SKIP() << "unzip is not installed";
    ScratchDir run;
    ASSERT_EQ(std::system(("'" BIN_DIR "/generate-data' '" + run.file("data") + "' > /dev/null").c_str()), 0);
    std::set<std::string> packaged;
    std::istringstream listing(commandOutput("unzip -Z1 '" + zip + "'"));
    for (std::string line; std::getline(listing, line);) packaged.insert(line);

    std::vector<std::string> missing;
    if (!packaged.count("landscape-demo/demo.exe")) missing.push_back("demo.exe");
    auto expectFilesUnder = [&](const std::filesystem::path& folder, const std::filesystem::path& base) {
        for (const auto& entry : std::filesystem::recursive_directory_iterator(folder)) {
            if (!entry.is_regular_file() || entry.path().filename() == ".complete") continue;
            const std::string name = std::filesystem::relative(entry.path(), base).generic_string();
            if (!packaged.count("landscape-demo/" + name)) missing.push_back(name);
        }
    };
    expectFilesUnder(run.path(), run.path());
    expectFilesUnder(SOURCE_DIR "/shaders", SOURCE_DIR);
    EXPECT_EQ(missing, std::vector<std::string>{});
}

// What Explorer shows for demo.exe and demo-tool.exe: the icon, as the .ico
// it was made from, and the product name, version and description.
TEST(WindowsBuild, ProgramsCarryTheIconAndVersionInformation) {
    if (!std::filesystem::exists(kWindowsBin + "demo.exe")) GTEST_SKIP() << "no Windows build";
    if (!haveCommand("wrestool")) GTEST_SKIP() << "wrestool (icoutils) is not installed";
    const std::string icon = readFile(SOURCE_DIR "/tools/icon/landscape-demo.ico");
    ASSERT_FALSE(icon.empty());
    ScratchDir scratch;
    for (const char* program : {"demo", "demo-tool"}) {
        const std::string exe = kWindowsBin + program + ".exe";
        // wrestool rebuilds the .ico from the resources (and pads its end).
        commandOutput("wrestool -x --type=14 '" + exe + "' > '" + scratch.file("icon.ico") + "'");
        const std::string extracted = readFile(scratch.file("icon.ico"));
        EXPECT_TRUE(extracted.compare(0, icon.size(), icon) == 0) << program << ".exe: icon";
        // The version block's strings are UTF-16 and padded with zeros: without
        // the zero bytes each key runs into its value.
        std::string version = commandOutput("wrestool -x --raw --type=16 '" + exe + "'");
        version.erase(std::remove(version.begin(), version.end(), '\0'), version.end());
        for (const std::string& field :
             {std::string("ProductNameLandscape demo"), std::string("ProductVersion") + PROJECT_VERSION,
              std::string("FileVersion") + PROJECT_VERSION, std::string("FileDescriptionLandscape demo"),
              std::string("OriginalFilename") + program + ".exe"})
            EXPECT_NE(version.find(field), std::string::npos) << program << ".exe lacks " << field;
    }
}

// demo.exe under Wine: the window shows the program's own icon; F11 takes it
// from the work area to the whole screen and the next frames fill it, F11
// brings the work-area window back, Escape in full screen ends the demo with
// 0. Xvfb has no panel: a simulated one keeps the work area 30 rows short of
// the screen.
TEST(WindowsBuild, WindowShowsTheIconAndF11SwitchesBetweenFullScreenAndTheWorkArea) {
    if (windowsBuildMissing()) GTEST_SKIP() << "no Windows build or Wine";
    for (const char* tool : {"xdotool", "xwininfo", "xprop", "xwd", "convert"})
        if (!haveCommand(tool)) GTEST_SKIP() << tool << " is not installed";
    waitForWineToEnd();
    const int width = 320, height = 180, workHeight = 150;
    XvfbServer server(width, height);
    ASSERT_TRUE(server.running()) << "Xvfb did not start";
    server.run("xprop -root -f _NET_WORKAREA 32c -set _NET_WORKAREA 0,0," + std::to_string(width) + "," +
               std::to_string(workHeight));
    ScratchDir scratch;
    DemoProcess demo(server.display(), scratch.file("stderr.txt"), {kWine, kWindowsBin + "demo.exe"});
    // The size of demo.exe's top-level X window ("WxH"), waiting up to `seconds` for `expected`.
    auto windowSizeBecomes = [&](const std::string& expected, double seconds) {
        std::string size;
        for (auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
             std::chrono::steady_clock::now() < end; std::this_thread::sleep_for(std::chrono::milliseconds(200))) {
            std::istringstream lines(server.run("xwininfo -root -children"));
            for (std::string line; std::getline(lines, line);)
                if (line.find("(\"demo.exe\" \"demo.exe\")") != std::string::npos &&
                    line.find("Default IME") == std::string::npos) {
                    std::istringstream fields(line.substr(line.find(')', line.find("(\"demo.exe")) + 1));
                    fields >> size;
                    size = size.substr(0, size.find('+'));
                }
            if (size == expected) return true;
        }
        ADD_FAILURE() << "the window is " << size << ", not " << expected;
        return false;
    };
    const std::string workArea = std::to_string(width) + "x" + std::to_string(workHeight);
    const std::string screen = std::to_string(width) + "x" + std::to_string(height);
    ASSERT_TRUE(windowSizeBecomes(workArea, 60.0));
    // The .ico's third image is its 32x32 one.
    commandOutput("convert '" SOURCE_DIR "/tools/icon/landscape-demo.ico[2]' -alpha off '" +
                  scratch.file("icon-32.png") + "'");
    EXPECT_LT(meanDifference(windowIcon32(server), readPicture(scratch.file("icon-32.png"))), 2.0)
        << "the window does not show the program's icon";
    std::this_thread::sleep_for(std::chrono::seconds(5));  // start-up, then frames
    server.run("xdotool mousemove 160 75 key F11");
    ASSERT_TRUE(windowSizeBecomes(screen, 10.0));
    std::this_thread::sleep_for(std::chrono::seconds(2));
    server.run("xwd -root -silent | convert xwd:- " + scratch.file("screen.png"));
    const Picture picture = readPicture(scratch.file("screen.png"));
    ASSERT_EQ(picture.height, height);
    // The rows below the work area show the landscape, drawn for the new size.
    EXPECT_GT(pixelShares(picture, workHeight, height).share[PIXEL_LAND], 0.5);
    EXPECT_GT(pixelShares(picture, 0, height / 3).share[PIXEL_SKY], 0.03) << "no sky at the top";
    server.run("xdotool key F11");
    EXPECT_TRUE(windowSizeBecomes(workArea, 10.0));
    server.run("xdotool key F11");
    EXPECT_TRUE(windowSizeBecomes(screen, 10.0));
    server.run("xdotool key Escape");
    ASSERT_TRUE(demo.waitForExit(30.0)) << "the demo did not end on Escape";
    EXPECT_EQ(demo.exitCode(), 0);
}
