#include "gpu/frame_readback.h"

#include <GL/glew.h>

#include <cstring>

void finishFrame() { glFinish(); }

void readFrame(int width, int height, std::vector<unsigned char>& rgba) {
    const size_t rowBytes = (size_t)width * 4;
    rgba.resize(rowBytes * height);
    glReadBuffer(GL_BACK);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadPixels(0, 0, width, height, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    // OpenGL's rows go bottom-up.
    std::vector<unsigned char> row(rowBytes);
    for (int top = 0, bottom = height - 1; top < bottom; ++top, --bottom) {
        std::memcpy(row.data(), &rgba[top * rowBytes], rowBytes);
        std::memcpy(&rgba[top * rowBytes], &rgba[bottom * rowBytes], rowBytes);
        std::memcpy(&rgba[bottom * rowBytes], row.data(), rowBytes);
    }
}
