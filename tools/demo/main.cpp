// The demo: no arguments, one window, runs until Escape or close.
#include "app/main_loop.h"
#include "demo/demo.h"

int main(int, char**) { return runDemo(demoCallbacks()); }
