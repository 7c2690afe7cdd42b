#include "platform/process_priority.h"

#include <sys/resource.h>

void raiseProcessPriority() {
    // Roughly the "high" class: ahead of ordinary processes, below real time.
    setpriority(PRIO_PROCESS, 0, -10);
}
