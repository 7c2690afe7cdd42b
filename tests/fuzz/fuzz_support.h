// Scratch files for the fuzz harnesses: the engine's readers take paths, so
// each input is written to a file in a private folder first.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

// The process's scratch folder, made on first use and removed at exit.
const std::string& fuzzScratchFolder();
// Writes size bytes to fuzzScratchFolder()/name and returns the full path.
std::string writeFuzzFile(const char* name, const uint8_t* data, size_t size);
// Ends the process with a report: a property of the input's result was broken.
[[noreturn]] void fuzzFailure(const char* what);
