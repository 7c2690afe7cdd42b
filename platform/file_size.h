// Sizes and positions of open files in 64 bits on every system: the C
// library's ftell and fseek take a long, which is 32 bits on Windows.
#pragma once

#include <cstdio>

// Moves to byte `offset` from the start; false when that fails.
inline bool seekFileTo(FILE* file, long long offset) {
#ifdef _WIN32
    return _fseeki64(file, offset, SEEK_SET) == 0;
#else
    return fseeko(file, static_cast<off_t>(offset), SEEK_SET) == 0;
#endif
}

// The size in bytes, with the position back at the start; -1 when it
// cannot be told (some systems open a folder as a file).
inline long long openFileSize(FILE* file) {
#ifdef _WIN32
    if (_fseeki64(file, 0, SEEK_END) != 0) return -1;
    const long long size = _ftelli64(file);
#else
    if (fseeko(file, 0, SEEK_END) != 0) return -1;
    const long long size = ftello(file);
#endif
    return seekFileTo(file, 0) ? size : -1;
}
