// The "Error!" warning box. Where no box can show (no display, offscreen
// mode) the same text goes to stderr.
#pragma once

void showErrorBox(const char* text);
