// Numeric command-line options shared by the demo-tool commands. Each reader
// takes the text after the option (nullptr when the option came last), and on
// a missing, malformed, non-finite or out-of-range value prints
// "demo-tool COMMAND: OPTION needs ..." and returns false; the command then
// exits with kBadOptionExit.
#pragma once

constexpr int kBadOptionExit = 2;

bool readFloatOption(const char* command, const char* option, const char* text, float min, float max, float& value);
bool readIntOption(const char* command, const char* option, const char* text, int min, int max, int& value);
// WxH, each side 1 to 8192.
bool readSizeOption(const char* command, const char* option, const char* text, int& width, int& height);
