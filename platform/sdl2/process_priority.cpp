#include "platform/process_priority.h"

#include <sys/resource.h>

#include "platform/window.h"

void raiseProcessPriority() {
    // A headless run is batch work: it keeps the priority it was given.
    if (offscreenVideo()) return;
    // Roughly the "high" class: ahead of ordinary processes, below real time.
    // Refused without the privilege; the priority then stays as it was.
    setpriority(PRIO_PROCESS, 0, -10);
}
