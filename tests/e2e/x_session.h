// Helpers for end-to-end tests of the real demo binary: a private Xvfb
// server, the demo as a child process, and xdotool queries against it.
#pragma once

#include <sys/types.h>

#include <string>
#include <vector>

// True when `name` is found on PATH.
bool haveCommand(const char* name);

// An Xvfb server on a free display number, stopped on destruction.
class XvfbServer {
public:
    XvfbServer(int width, int height);
    ~XvfbServer();
    XvfbServer(const XvfbServer&) = delete;
    XvfbServer& operator=(const XvfbServer&) = delete;

    bool running() const { return display_ >= 0; }
    std::string display() const { return ":" + std::to_string(display_); }
    // Runs a shell command against this display; its standard output.
    std::string run(const std::string& command) const;

private:
    pid_t pid_ = -1;
    int display_ = -1;
};

// The demo binary as a child process, killed on destruction if still running.
class DemoProcess {
public:
    // display: the DISPLAY to use, empty for none. Standard error goes to
    // stderrPath. command: the program and its arguments, the demo by default.
    DemoProcess(const std::string& display, const std::string& stderrPath,
                const std::vector<std::string>& command = {});
    ~DemoProcess();
    DemoProcess(const DemoProcess&) = delete;
    DemoProcess& operator=(const DemoProcess&) = delete;

    pid_t pid() const { return pid_; }
    // Waits up to `seconds` for the process to end. True when it ended; then
    // exitedNormally/exitCode describe how.
    bool waitForExit(double seconds);
    bool exitedNormally() const { return exitedNormally_; }
    int exitCode() const { return exitCode_; }

private:
    pid_t pid_ = -1;
    bool ended_ = false;
    bool exitedNormally_ = false;
    int exitCode_ = -1;
};

// The demo's top-level window on `server`, waiting up to `seconds` for it; 0 if none.
unsigned long findDemoWindow(const XvfbServer& server, const DemoProcess& demo, double seconds);

// Asks the window to close as a window manager's close button does
// (WM_DELETE_WINDOW). False when libX11 is not available.
bool sendCloseRequest(const XvfbServer& server, unsigned long window);

std::string readFile(const std::string& path);
