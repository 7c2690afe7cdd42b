// Another build's `demo-tool world` against the Linux one's: the Windows
// build under Wine, the web build under node.
#pragma once

#include <string>

// A shell command's standard output with carriage returns removed (Windows
// programs end their lines with "\r\n"); its exit code in *exitCode.
std::string commandOutput(const std::string& command, int* exitCode = nullptr);

// Compares two JSON texts token by token: the text between numbers must be
// equal, integers (counts, indices) equal, other numbers within `relative`
// of each other. The first difference, or empty.
std::string jsonDifference(const std::string& a, const std::string& b, double relative, double* worst);

// Runs `tool world SETTINGS` and the Linux demo-tool with the same settings
// in a scratch folder with an a.raw, for the default world, a water level, a
// height scale and the raw heights: the same counts and template indices,
// floats within 2e-5 of each other. `tool` is a shell command prefix.
void expectWorldMatchesLinux(const std::string& tool);
