// Placeholder until the demo driver lands.
#include "demo/demo.h"

void demoUpdate() {}
