// Raises the scheduling priority of the process where the system permits;
// where it does not, the priority silently stays as it was.
#pragma once

void raiseProcessPriority();
