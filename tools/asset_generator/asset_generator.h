// The parts of generate-data. Each writes its files under outDir, prints one
// line per file and returns false (with a reason on stderr) at the first failure.
#pragma once

#include <string>

bool generateModels(const std::string& outDir);
bool generateTextures(const std::string& outDir);
bool generateSoundtrack(const std::string& outDir);
// The raw height file "a.raw" (65025 bytes) at `path`.
bool generateRawHeights(const std::string& path);

// Prints "<path>: <bytes> bytes<details>" for a file just written.
void reportFile(const std::string& path, const std::string& details);
