// The demo: no arguments, one window, runs until Escape or close.
#include "app/main_loop.h"

int main(int, char**) { return runDemo(); }
