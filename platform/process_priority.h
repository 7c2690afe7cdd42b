// Raises the scheduling priority of the process where the system permits;
// where it does not, the priority silently stays as it was. Offscreen runs
// keep their priority.
#pragma once

void raiseProcessPriority();
