// demo-tool shader FILE [--compile vertex|fragment]
// Prints the source the engine hands to OpenGL for FILE (header injected,
// includes expanded), or compiles it as the given stage on an offscreen
// context and prints the compiler log: exit 0 when it compiles, 1 when not.
#include <cstdio>
#include <cstring>
#include <string>

#include "gpu/shader_source.h"
#include "platform/offscreen_gl.h"

static int compileShader(const ShaderObject& shader) {
    std::string error;
    if (!createOffscreenContext(16, 16, &error)) {
        std::fprintf(stderr, "demo-tool shader: %s\n", error.c_str());
        return 1;
    }
    std::string log;
    const bool compiled = checkShaderCompiles(shader, &log);
    std::fputs(log.c_str(), stdout);
    std::printf("%s\n", compiled ? "compiled" : "failed to compile");
    destroyOffscreenContext();
    return compiled ? 0 : 1;
}

int shaderCommand(int argc, char** argv) {
    const char* usage = "usage: demo-tool shader FILE [--compile vertex|fragment]\n";
    if (argc != 1 && argc != 3) {
        std::fputs(usage, stderr);
        return 1;
    }
    ShaderObject shader;
    if (argc == 3) {
        if (std::strcmp(argv[1], "--compile") != 0) {
            std::fputs(usage, stderr);
            return 1;
        }
        if (std::strcmp(argv[2], "vertex") == 0) {
            shader.stage = kVertexStage;
        } else if (std::strcmp(argv[2], "fragment") == 0) {
            shader.stage = kFragmentStage;
        } else {
            std::fprintf(stderr, "demo-tool shader: unknown stage '%s' (vertex or fragment)\n", argv[2]);
            return 1;
        }
    }
    if (!buildShaderSource(&shader, argv[0])) {
        std::fprintf(stderr, "demo-tool shader: cannot read %s\n", argv[0]);
        return 1;
    }
    if (argc == 1) {
        std::fwrite(shader.source.data(), 1, shader.source.size(), stdout);
        return 0;
    }
    return compileShader(shader);
}
