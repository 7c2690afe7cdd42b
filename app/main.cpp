// The demo: no arguments, one window, runs until Escape or close. The one
// file of app/ that knows the demo.
#include "app/main_loop.h"
#include "demo/demo.h"

int main(int, char**) { return runDemo(demoCallbacks()); }
