#include "app/window.h"

#include "app/messages.h"
#include "platform/cursor.h"
#include "platform/message_box.h"
#include "platform/process_priority.h"

namespace {
bool g_cursorVisible = false;

EngineWindow* entryAt(int index) {
    EngineWindowTable& table = engineWindowTable();
    return index >= 0 && index < table.count ? &table.entries[index] : nullptr;
}
}  // namespace

EngineWindowTable& engineWindowTable() {
    static EngineWindowTable table;
    return table;
}

WorkAreaSize& workAreaSize() {
    static WorkAreaSize size;
    return size;
}

void registerWindowClass() {
    if (!registerWindowProcedure(windowProcedure)) {
        showErrorBox("Window Registration Failed!");
        return;
    }
    raiseProcessPriority();
}

int createMainWindow() {
    PlatformRect area;
    bool haveArea = desktopWorkArea(&area);
    EngineWindowTable& table = engineWindowTable();
    if (table.count == kMaxEngineWindows) {
        showErrorBox("Window Creation Failed!");
        return 0;
    }
    int index = table.count++;
    EngineWindow& entry = table.entries[index];
    if (haveArea) {
        workAreaSize().width = area.right - area.left;
        workAreaSize().height = area.bottom - area.top;
        entry.clientX = area.left;
        entry.clientY = area.top;
        entry.window = createPlatformWindow(":-)", area);
    }
    if (!entry.window) {
        showErrorBox("Window Creation Failed!");
        return 0;
    }
    showWindow(index);
    entry.deviceContext = entry.window;
    entry.glContext = createPlatformGlContext(entry.window);
    // A window without a context cannot draw anything: same report.
    if (!entry.glContext) showErrorBox("Window Creation Failed!");
    return index;
}

bool windowUsable(int index) {
    EngineWindow* entry = entryAt(index);
    return entry && entry->window && entry->glContext;
}

bool windowClientSize(int index, int32_t* width, int32_t* height) {
    EngineWindow* entry = entryAt(index);
    PlatformRect client;
    if (!entry || !platformWindowClientRect(entry->window, &client)) return false;
    *width = client.right - client.left;
    *height = client.bottom - client.top;
    return true;
}

void showWindow(int index) {
    if (EngineWindow* entry = entryAt(index)) showPlatformWindow(entry->window);
}

void swapBuffers(int index) {
    if (EngineWindow* entry = entryAt(index)) swapPlatformBuffers(entry->deviceContext);
}

void clearWindowTitle(int index) {
    if (EngineWindow* entry = entryAt(index)) setPlatformWindowTitle(entry->window, "");
}

void showCursor() {
    if (g_cursorVisible) return;
    g_cursorVisible = true;
    changeCursorShowCount(true);
}

void hideCursor() {
    if (!g_cursorVisible) return;
    g_cursorVisible = false;
    changeCursorShowCount(false);
}

bool cursorVisible() { return g_cursorVisible; }
void setCursorVisibleFlag(bool visible) { g_cursorVisible = visible; }

bool setCursorPosition(int x, int y, int index) {
    EngineWindow* entry = entryAt(index);
    return entry && warpCursor(entry->window, x, y);
}
