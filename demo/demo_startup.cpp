// Placeholder until the demo driver lands.
#include "demo/demo.h"

bool demoStartup() { return true; }
