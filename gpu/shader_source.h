// Shader source text: a process-wide cache of files read once, the header
// the engine injects in front of every shader, and #include expansion.
#pragma once

#include <cstdint>
#include <string>

struct SourceFile {
    std::string path;  // the cache key, exactly as loaded
    char* text = nullptr;  // the file's bytes plus the spare bytes
    int32_t size = 0;
    int32_t capacity = 0;
    int32_t position = 0;
    int32_t useCount = 1;
    SourceFile* next = nullptr;
};

// The two shader stages, as OpenGL numbers them.
constexpr uint32_t kVertexStage = 0x8B31;  // GL_VERTEX_SHADER
constexpr uint32_t kFragmentStage = 0x8B30;  // GL_FRAGMENT_SHADER

struct ShaderObject {
    std::string source;
    uint32_t stage = 0;  // kVertexStage or kFragmentStage
    uint32_t id = 0;
    ShaderObject* next = nullptr;
};

// The shading language the injected header sets up: GLSL 1.30 for desktop
// OpenGL, GLSL ES 3.00 for WebGL 2. The shader files are the same for both.
enum ShaderDialect { GLSL_130, GLSL_ES_300 };
#ifdef __EMSCRIPTEN__
constexpr ShaderDialect kRendererDialect = GLSL_ES_300;
#else
constexpr ShaderDialect kRendererDialect = GLSL_130;
#endif

// GLSL ES has no gl_Vertex, gl_Normal and gl_MultiTexCoord0: its header
// declares these generic attributes in their place, bound to these locations
// before linking.
constexpr uint32_t kPositionAttribute = 0, kNormalAttribute = 1, kTexCoordAttribute = 2;

SourceFile* loadSourceFile(const char* path);
// Frees every cached file. The engine keeps its files for the whole process;
// the fuzz harness empties the cache between inputs that reuse file names.
void forgetSourceFiles();
std::string directoryOf(const std::string& path);
// The 30-piece GLSL 1.30 header, the same for every shader.
const std::string& injectedHeader();
// The GLSL ES 3.00 header for a stage: the version line first (nothing may
// come before it), default precisions, the same defines, then what stands in
// for the GLSL 1.30 built-ins the shader files use: the vertex stage's
// attributes (above) and the fragment stage's colour output.
std::string glslEsHeader(uint32_t stage);
// The dialect's header, then defines (extra lines of the caller's, "" for
// none), then the file with its includes expanded.
bool buildShaderSource(ShaderObject* shader, const char* path, const char* defines = "",
                       ShaderDialect dialect = kRendererDialect);
bool createShader(ShaderObject* shader, const char* path, const char* defines = "");
struct ShaderProgram;
bool compileShaders(ShaderProgram* program);
// Compiles the shader's source alone on the current context and deletes it
// again: true when it compiles. *log gets the compiler's log ("" for none).
bool checkShaderCompiles(const ShaderObject& shader, std::string* log);
// Binds the GLSL ES header's attributes to their locations first (WebGL 2).
bool linkProgram(ShaderProgram* program);
