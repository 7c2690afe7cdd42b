// A fresh temporary folder per use, removed with its contents afterwards.
#pragma once

#include <string>

// Removes a folder and what it holds, leaving whatever the system refuses.
void removeFolderTree(const std::string& path);

class ScratchDir {
public:
    ScratchDir();
    ~ScratchDir();
    ScratchDir(const ScratchDir&) = delete;
    ScratchDir& operator=(const ScratchDir&) = delete;

    const std::string& path() const { return path_; }
    // path() + "/" + name
    std::string file(const std::string& name) const;
    // Writes bytes to path()/name (creating subfolders) and returns the full path.
    std::string write(const std::string& name, const std::string& bytes) const;

private:
    std::string path_;
};
