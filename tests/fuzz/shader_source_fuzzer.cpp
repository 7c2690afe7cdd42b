// Shader source assembly with include expansion over files in the scratch
// folder. The input is split at its first 0x01 byte into the top-level shader
// "top.glsl" and the file "a.glsl" that it may include (as "a.glsl" or
// <a.glsl>, maybe more than once, maybe from itself); with no split byte the
// input is the top-level shader alone. "top.glsl" may also include itself.
#include <cstring>

#include "gpu/shader_source.h"
#include "tests/fuzz/fuzz_support.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const uint8_t* split = static_cast<const uint8_t*>(std::memchr(data, 1, size));
    const size_t topSize = split ? size_t(split - data) : size;
    const std::string top = writeFuzzFile("top.glsl", data, topSize);
    if (split)
        writeFuzzFile("a.glsl", split + 1, size - topSize - 1);
    else
        writeFuzzFile("a.glsl", nullptr, 0);

    ShaderObject shader;
    if (!buildShaderSource(&shader, top.c_str())) fuzzFailure("an existing shader file failed to build");
    const std::string& header = injectedHeader();
    if (shader.source.compare(0, header.size(), header) != 0) fuzzFailure("the header is not in front");
    // Each input starts from an empty cache: the files are new.
    forgetSourceFiles();
    return 0;
}
