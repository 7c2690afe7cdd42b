#include "tests/e2e/x_session.h"

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <thread>

namespace {
double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

void redirect(int fd, const char* path, int flags) {
    FILE* file = std::fopen(path, flags == 0 ? "r" : "w");
    if (file) dup2(fileno(file), fd);
}
}  // namespace

bool haveCommand(const char* name) {
    std::string command = std::string("command -v ") + name + " >/dev/null 2>&1";
    return std::system(command.c_str()) == 0;
}

XvfbServer::XvfbServer(int width, int height) {
    int fds[2];
    if (pipe(fds) != 0) return;
    std::string screen = std::to_string(width) + "x" + std::to_string(height) + "x24";
    std::string displayFd = std::to_string(fds[1]);
    pid_ = fork();
    if (pid_ == 0) {
        close(fds[0]);
        redirect(1, "/dev/null", 1);
        redirect(2, "/dev/null", 1);
        // -displayfd picks a free display and writes its number; -noreset keeps
        // root properties when the last client leaves.
        execlp("Xvfb", "Xvfb", "-displayfd", displayFd.c_str(), "-screen", "0", screen.c_str(), "-noreset", "-nolisten",
               "tcp", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(fds[1]);
    // The number arrives with a newline, possibly in two writes: read up to
    // the newline, or Xvfb fails writing into a closed pipe.
    std::string digits;
    char c = 0;
    pollfd waitFor{fds[0], POLLIN, 0};
    while (pid_ > 0 && poll(&waitFor, 1, 10000) > 0 && read(fds[0], &c, 1) == 1 && c != '\n') digits.push_back(c);
    if (c == '\n' && !digits.empty()) display_ = std::atoi(digits.c_str());
    close(fds[0]);
}

XvfbServer::~XvfbServer() {
    if (pid_ <= 0) return;
    kill(pid_, SIGTERM);
    waitpid(pid_, nullptr, 0);
}

std::string XvfbServer::run(const std::string& command) const {
    std::string line = "DISPLAY=" + display() + " " + command + " 2>/dev/null";
    std::string output;
    if (FILE* pipe = popen(line.c_str(), "r")) {
        char buffer[256];
        size_t read;
        while ((read = std::fread(buffer, 1, sizeof buffer, pipe)) > 0) output.append(buffer, read);
        pclose(pipe);
    }
    return output;
}

DemoProcess::DemoProcess(const std::string& display, const std::string& stderrPath,
                         const std::vector<std::string>& command) {
    pid_ = fork();
    if (pid_ != 0) return;
    if (display.empty())
        unsetenv("DISPLAY");
    else
        setenv("DISPLAY", display.c_str(), 1);
    unsetenv("WAYLAND_DISPLAY");
    // SDL picks its video driver as it does for a user; sound goes to SDL's
    // silent driver.
    unsetenv("SDL_VIDEODRIVER");
    setenv("SDL_AUDIODRIVER", "dummy", 1);
    redirect(0, "/dev/null", 0);
    redirect(1, "/dev/null", 1);
    redirect(2, stderrPath.c_str(), 1);
    if (command.empty()) execl(BIN_DIR "/demo", "demo", static_cast<char*>(nullptr));
    std::vector<char*> arguments;
    for (const std::string& argument : command) arguments.push_back(const_cast<char*>(argument.c_str()));
    arguments.push_back(nullptr);
    execv(arguments[0], arguments.data());
    _exit(127);
}

DemoProcess::~DemoProcess() {
    if (pid_ <= 0 || ended_) return;
    kill(pid_, SIGKILL);
    waitpid(pid_, nullptr, 0);
}

bool DemoProcess::waitForExit(double seconds) {
    if (ended_) return true;
    if (pid_ <= 0) return false;
    auto start = std::chrono::steady_clock::now();
    do {
        int status = 0;
        if (waitpid(pid_, &status, WNOHANG) == pid_) {
            ended_ = true;
            exitedNormally_ = WIFEXITED(status);
            exitCode_ = exitedNormally_ ? WEXITSTATUS(status) : -1;
            return true;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    } while (secondsSince(start) < seconds);
    return false;
}

unsigned long findDemoWindow(const XvfbServer& server, const DemoProcess& demo, double seconds) {
    auto start = std::chrono::steady_clock::now();
    do {
        std::istringstream ids(server.run("xdotool search --pid " + std::to_string(demo.pid())));
        unsigned long window = 0;
        if (ids >> window) return window;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    } while (secondsSince(start) < seconds);
    return 0;
}

bool sendCloseRequest(const XvfbServer& server, unsigned long window) {
    // libX11 at run time: the test links nothing of X itself.
    void* x11 = dlopen("libX11.so.6", RTLD_NOW | RTLD_LOCAL);
    if (!x11) return false;
    auto openDisplay = reinterpret_cast<Display* (*)(const char*)>(dlsym(x11, "XOpenDisplay"));
    auto internAtom = reinterpret_cast<Atom (*)(Display*, const char*, Bool)>(dlsym(x11, "XInternAtom"));
    auto sendEvent = reinterpret_cast<Status (*)(Display*, Window, Bool, long, XEvent*)>(dlsym(x11, "XSendEvent"));
    auto closeDisplay = reinterpret_cast<int (*)(Display*)>(dlsym(x11, "XCloseDisplay"));
    Display* display =
        openDisplay && internAtom && sendEvent && closeDisplay ? openDisplay(server.display().c_str()) : nullptr;
    if (!display) return false;
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = internAtom(display, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(internAtom(display, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = sendEvent(display, window, False, NoEventMask, &event);
    closeDisplay(display);  // flushes the request
    return sent != 0;
}

std::string readFile(const std::string& path) {
    std::ifstream file(path);
    std::stringstream contents;
    contents << file.rdbuf();
    return contents.str();
}
