#include "platform/process_priority.h"
#include "platform/window.h"

#include <windows.h>

void raiseProcessPriority() {
    // A headless run is batch work: it keeps the priority it was given.
    if (offscreenVideo()) return;
    SetPriorityClass(GetCurrentProcess(), HIGH_PRIORITY_CLASS);
}
