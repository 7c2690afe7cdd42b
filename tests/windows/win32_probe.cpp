// A small Win32 program for the Windows end-to-end tests, run in the same
// Wine prefix as the demo:
//   win32-probe window SECONDS   waits for a window of class "myWindowClass"
//                                and prints what the system says about it
//   win32-probe close            posts WM_CLOSE to that window
//   win32-probe manifest FILE    prints the application manifest embedded
//                                in FILE (an .exe), read as data
// Exit code 0 when the window (or the manifest) was found, 1 when not. The
// probe is per-monitor DPI aware itself, so that sizes read unscaled.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

static HWND findDemoWindow(double seconds) {
    for (double waited = 0.0;; waited += 0.1) {
        if (HWND window = FindWindowA("myWindowClass", nullptr)) return window;
        if (waited >= seconds) return nullptr;
        Sleep(100);
    }
}

static int printManifest(const char* file) {
    HMODULE module = LoadLibraryExA(file, nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE);
    HRSRC resource = module ? FindResourceA(module, MAKEINTRESOURCEA(1), MAKEINTRESOURCEA(24)) : nullptr;
    HGLOBAL data = resource ? LoadResource(module, resource) : nullptr;
    if (!data) {
        std::printf("found=0\n");
        return 1;
    }
    std::printf("found=1\n");
    std::fwrite(LockResource(data), 1, SizeofResource(module, resource), stdout);
    return 0;
}

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: win32-probe window SECONDS | close | manifest FILE\n");
        return 2;
    }
    if (std::strcmp(argv[1], "manifest") == 0) return argc > 2 ? printManifest(argv[2]) : 2;
    HWND window = findDemoWindow(argc > 2 ? std::atof(argv[2]) : 0.0);
    if (!window) {
        std::printf("found=0\n");
        return 1;
    }
    std::printf("found=1\n");
    if (std::strcmp(argv[1], "close") == 0) return PostMessageA(window, WM_CLOSE, 0, 0) ? 0 : 1;

    char title[256] = {};
    int titleLength = GetWindowTextA(window, title, sizeof(title));
    RECT client = {}, work = {};
    POINT origin = {0, 0};
    GetClientRect(window, &client);
    ClientToScreen(window, &origin);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    LONG style = GetWindowLongA(window, GWL_STYLE), exStyle = GetWindowLongA(window, GWL_EXSTYLE);
    std::printf("visible=%d\ntitle_length=%d\ntitle=%s\n", IsWindowVisible(window) ? 1 : 0, titleLength, title);
    std::printf("client=%ld,%ld,%ld,%ld\n", origin.x, origin.y, client.right, client.bottom);
    std::printf("work_area=%ld,%ld,%ld,%ld\n", work.left, work.top, work.right - work.left, work.bottom - work.top);
    std::printf("screen=%d,%d\n", GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    std::printf("style=0x%lx\nex_style=0x%lx\n", static_cast<unsigned long>(style),
                static_cast<unsigned long>(exStyle));
    // 0 unaware, 1 system, 2 per monitor: what the window was created with.
    std::printf("dpi_awareness=%d\ndpi=%u\n",
                static_cast<int>(GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window))),
                GetDpiForWindow(window));
    return 0;
}
