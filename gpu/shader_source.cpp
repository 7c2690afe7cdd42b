#include "gpu/shader_source.h"

#include <GL/glew.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "gpu/shader_catalogue.h"

// ---- source file cache ----------------------------------------------------

static SourceFile* g_sourceHead = nullptr;
static SourceFile* g_sourceTail = nullptr;
static int32_t g_extraBytes = 0;  // spare bytes allocated behind each newly loaded file

SourceFile* loadSourceFile(const char* path) {
    for (SourceFile* file = g_sourceHead; file; file = file->next)
        if (file->path == path) return file;

    FILE* stream = std::fopen(path, "rb");
    if (!stream) return nullptr;
    const long start = std::ftell(stream);
    long size = -1;
    if (start >= 0 && std::fseek(stream, 0, SEEK_END) == 0) size = std::ftell(stream);
    // Unseekable or absurdly large files are treated as unreadable.
    if (size < 0 || size > INT32_MAX - g_extraBytes || std::fseek(stream, start, SEEK_SET) != 0) {
        std::fclose(stream);
        return nullptr;
    }
    const int32_t capacity = static_cast<int32_t>(size) + g_extraBytes;
    char* text = new (std::nothrow) char[capacity > 0 ? capacity : 1];
    if (!text) {
        std::fclose(stream);
        return nullptr;
    }
    const size_t bytesRead = std::fread(text, 1, static_cast<size_t>(size), stream);
    std::fclose(stream);
    if (bytesRead != static_cast<size_t>(size)) {
        delete[] text;
        return nullptr;
    }

    SourceFile* file = new SourceFile;
    file->path = path;
    file->text = text;
    file->size = static_cast<int32_t>(size);
    file->capacity = capacity;
    file->position = 0;
    file->useCount = 1;
    if (g_sourceTail)
        g_sourceTail->next = file;
    else
        g_sourceHead = file;
    g_sourceTail = file;
    return file;
}

void forgetSourceFiles() {
    while (g_sourceHead) {
        SourceFile* next = g_sourceHead->next;
        delete[] g_sourceHead->text;
        delete g_sourceHead;
        g_sourceHead = next;
    }
    g_sourceTail = nullptr;
}

std::string directoryOf(const std::string& path) {
    const size_t separator = path.find_last_of("/\\");
    if (separator == std::string::npos) return "./";
    return path.substr(0, separator + 1);
}

// ---- injected header ------------------------------------------------------

// "#define NAME" padded so that every value lands in column 63.
static std::string defineLine(const char* name, int value) {
    char line[128];
    std::snprintf(line, sizeof line, "#define %-54s%d\n", name, value);
    return line;
}

static std::string banner() { return "// " + std::string(96, '-') + "\n"; }

static std::string openingBanner() {
    return banner() + "//" + std::string(27, ' ') + "Code injected dynamically by the engine\n" + banner() + "\n";
}

static std::string closingBanner() {
    return banner() + "//" + std::string(76, ' ') + "End of code injection\n" + banner() + "\n";
}

// The engine's limits and codes, the same in both dialects.
static std::string engineDefines() {
    std::string h;
    h += "#define _WIN32\n";
    h += "\n";
    h += defineLine("NUMERO_MAXIMO_INFLUENCIAS_POR_VERTICE", 4);
    h += defineLine("NUMERO_MAXIMO_JOINTS_POR_ARMATURE", 64);
    h += "#define ACTIVAR_DIFFUSE\n";
    h += "#define ACTIVAR_SPECULAR\n";
    h += "#define ACTIVAR_TEXTURA\n";
    h += "\n";
    h += "\n";
    h += defineLine("LIGHT_TYPE_NONE", 0);
    h += defineLine("LIGHT_TYPE_DIRECTIONAL", 3);
    h += defineLine("LIGHT_TYPE_POINT", 1);
    h += defineLine("LIGHT_TYPE_SPOT", 2);
    h += "\n";
    h += defineLine("MAX_LIGHTS", 5);
    h += "\n";
    h += defineLine("NUMERO_MAXIMO_TEXTURAS_POR_MATERIAL", 2);
    h += defineLine("ANIMACION_DE_TEXTURA_ACTIVA", 1);
    h += "\n";
    h += "\n";
    return h;
}

const std::string& injectedHeader() {
    static const std::string header = openingBanner() + "#version 130\n\n" + engineDefines() + closingBanner();
    return header;
}

// The generic attributes of the GLSL ES vertex stage, by location.
static const struct {
    uint32_t location;
    const char* type;
    const char* name;
    const char* builtIn;
} kEsAttributes[] = {
    {kPositionAttribute, "vec4", "engine_Vertex", "gl_Vertex"},
    {kNormalAttribute, "vec3", "engine_Normal", "gl_Normal"},
    {kTexCoordAttribute, "vec4", "engine_MultiTexCoord0", "gl_MultiTexCoord0"},
};

std::string glslEsHeader(uint32_t stage) {
    std::string h = "#version 300 es\nprecision highp float;\nprecision highp int;\n";
    h += openingBanner() + "\n" + engineDefines();
    if (stage == kVertexStage) {
        for (const auto& attribute : kEsAttributes) {
            h += "in " + std::string(attribute.type) + " " + attribute.name + ";\n";
            h += "#define " + std::string(attribute.builtIn) + " " + attribute.name + "\n";
        }
    } else if (stage == kFragmentStage) {
        h += "out vec4 engine_FragColor;\n#define gl_FragColor engine_FragColor\n";
    }
    return h + "\n" + closingBanner();
}

// ---- include expansion ----------------------------------------------------

// Bytes of a file's text up to its first zero byte.
static size_t textLength(const SourceFile* file) {
    const void* zero = std::memchr(file->text, 0, static_cast<size_t>(file->size));
    return zero ? static_cast<size_t>(static_cast<const char*>(zero) - file->text) : static_cast<size_t>(file->size);
}

// An included file on the expansion chain: its path and where its inserted
// text ends. A directive found before `end` lies inside that file.
struct IncludeFrame {
    std::string path;
    size_t end;
};

static const size_t kMaxIncludeName = 2046;
// Files that include another file several times multiply: bound the work.
static const int kMaxIncludes = 1024;
static const size_t kMaxExpandedBytes = 16u << 20;

// Splices included files into text, resolved against base. Stops at the
// first directive it cannot expand, leaving it for the compiler to reject:
// a malformed directive, a missing file, a file that is already being
// expanded on the current chain (an include cycle would never end), or too
// much included text.
static void expandIncludes(std::string& text, const std::string& base, const std::string& topLevelPath) {
    std::vector<IncludeFrame> chain;
    int includes = 0;
    size_t pos = text.find("#include");
    while (pos != std::string::npos) {
        const size_t q = text.find_first_not_of(' ', pos + 8);
        if (q == std::string::npos) return;
        const char open = text[q];
        if (open != '<' && open != '"') return;
        const size_t e = text.find(open == '<' ? '>' : '"', q + 1);
        if (e == std::string::npos) return;
        const size_t nameLength = e - q - 1;
        if (nameLength > kMaxIncludeName) return;
        const std::string path = base + text.substr(q + 1, nameLength);

        while (!chain.empty() && chain.back().end <= pos) chain.pop_back();
        if (path == topLevelPath || ++includes > kMaxIncludes) return;
        for (const IncludeFrame& frame : chain)
            if (frame.path == path) return;

        const SourceFile* file = loadSourceFile(path.c_str());
        if (!file) return;
        const size_t length = textLength(file);
        const size_t removed = e - pos + 1;
        if (text.size() - removed + length > kMaxExpandedBytes) return;
        text.replace(pos, removed, file->text, length);
        // Every open frame contains the directive; a frame that ended inside
        // it now ends with the inserted text.
        for (IncludeFrame& frame : chain) frame.end = std::max(frame.end, pos + removed) - removed + length;
        chain.push_back({path, pos + length});
        pos = text.find("#include", pos);
    }
}

// ---- shader objects -------------------------------------------------------

static_assert(kVertexStage == GL_VERTEX_SHADER && kFragmentStage == GL_FRAGMENT_SHADER, "stage numbers");

bool buildShaderSource(ShaderObject* shader, const char* path, const char* defines, ShaderDialect dialect) {
    g_extraBytes = 1;
    SourceFile* file = loadSourceFile(path);
    if (!file) return false;
    if (file->capacity > file->size) file->text[file->size] = '\0';
    shader->source.clear();
    shader->source += dialect == GLSL_ES_300 ? glslEsHeader(shader->stage) : injectedHeader();
    shader->source += defines;
    shader->source.append(file->text, textLength(file));
    expandIncludes(shader->source, directoryOf(path), path);
    return true;
}

bool createShader(ShaderObject* shader, const char* path, const char* defines) {
    if (!buildShaderSource(shader, path, defines)) return false;
    shader->id = glCreateShader(shader->stage);
    if (shader->id == 0) return false;
    const char* text = shader->source.c_str();
    glShaderSource(shader->id, 1, &text, nullptr);
    return true;
}

bool compileShaders(ShaderProgram* program) {
    for (ShaderObject* shader = program->shaders; shader; shader = shader->next) {
        glCompileShader(shader->id);
        GLint status = 0;
        glGetShaderiv(shader->id, GL_COMPILE_STATUS, &status);
        if (status == 0) {
            glDeleteShader(shader->id);
            return false;
        }
    }
    return true;
}

bool checkShaderCompiles(const ShaderObject& shader, std::string* log) {
    const GLuint id = glCreateShader(shader.stage);
    const char* text = shader.source.c_str();
    glShaderSource(id, 1, &text, nullptr);
    glCompileShader(id);
    GLint status = 0, logLength = 0;
    glGetShaderiv(id, GL_COMPILE_STATUS, &status);
    glGetShaderiv(id, GL_INFO_LOG_LENGTH, &logLength);
    log->clear();
    if (logLength > 1) {
        std::vector<char> buffer(static_cast<size_t>(logLength));
        glGetShaderInfoLog(id, logLength, nullptr, buffer.data());
        *log = buffer.data();
    }
    glDeleteShader(id);
    return status != 0;
}

bool linkProgram(ShaderProgram* program) {
#ifdef __EMSCRIPTEN__
    for (const auto& attribute : kEsAttributes)
        glBindAttribLocation(program->programId, attribute.location, attribute.name);
#endif
    glLinkProgram(program->programId);
    GLint status = 0;
    glGetProgramiv(program->programId, GL_LINK_STATUS, &status);
    return status != 0;
}
