#include "platform/process_priority.h"

// A page cannot change the priority of the browser's process.
void raiseProcessPriority() {}
