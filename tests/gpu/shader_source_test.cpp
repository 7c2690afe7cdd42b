#include <gtest/gtest.h>

#include <fstream>

#include "gpu/shader_source.h"
#include "tests/support/scratch_dir.h"

// Typed out independently of the code that builds it: the shaders and the
// engine agree on these exact bytes.
static const char kExpectedHeader[] =
    "// ------------------------------------------------------------------------------------------------\n"
    "//                           Code injected dynamically by the engine\n"
    "// ------------------------------------------------------------------------------------------------\n"
    "\n"
    "#version 130\n"
    "\n"
    "#define _WIN32\n"
    "\n"
    "#define NUMERO_MAXIMO_INFLUENCIAS_POR_VERTICE                 4\n"
    "#define NUMERO_MAXIMO_JOINTS_POR_ARMATURE                     64\n"
    "#define ACTIVAR_DIFFUSE\n"
    "#define ACTIVAR_SPECULAR\n"
    "#define ACTIVAR_TEXTURA\n"
    "\n"
    "\n"
    "#define LIGHT_TYPE_NONE                                       0\n"
    "#define LIGHT_TYPE_DIRECTIONAL                                3\n"
    "#define LIGHT_TYPE_POINT                                      1\n"
    "#define LIGHT_TYPE_SPOT                                       2\n"
    "\n"
    "#define MAX_LIGHTS                                            5\n"
    "\n"
    "#define NUMERO_MAXIMO_TEXTURAS_POR_MATERIAL                   2\n"
    "#define ANIMACION_DE_TEXTURA_ACTIVA                           1\n"
    "\n"
    "\n"
    "// ------------------------------------------------------------------------------------------------\n"
    "//                                                                            End of code injection\n"
    "// ------------------------------------------------------------------------------------------------\n"
    "\n";

TEST(ShaderSource, HeaderIsExact) { EXPECT_EQ(injectedHeader(), kExpectedHeader); }

TEST(ShaderSource, DirectoryOf) {
    EXPECT_EQ(directoryOf("shaders/default_fs.glsl"), "shaders/");
    EXPECT_EQ(directoryOf("a/b\\c.glsl"), "a/b\\");
    EXPECT_EQ(directoryOf("plain.glsl"), "./");
}

TEST(ShaderSource, FilesAreReadOnce) {
    ScratchDir dir;
    const std::string path = dir.write("once.glsl", "first");
    SourceFile* file = loadSourceFile(path.c_str());
    ASSERT_NE(file, nullptr);
    dir.write("once.glsl", "changed on disk");
    EXPECT_EQ(loadSourceFile(path.c_str()), file);
    EXPECT_EQ(std::string(file->text, file->size), "first");
    EXPECT_EQ(loadSourceFile(dir.file("missing.glsl").c_str()), nullptr);
}

// The assembled text of a file, less the header (which must be in front).
static std::string bodyOf(const std::string& path) {
    ShaderObject shader;
    EXPECT_TRUE(buildShaderSource(&shader, path.c_str()));
    const std::string header = kExpectedHeader;
    EXPECT_EQ(shader.source.compare(0, header.size(), header), 0);
    return shader.source.substr(std::min(header.size(), shader.source.size()));
}

TEST(ShaderSource, MissingFileFails) {
    ScratchDir dir;
    ShaderObject shader;
    EXPECT_FALSE(buildShaderSource(&shader, dir.file("nothing.glsl").c_str()));
}

TEST(ShaderSource, IncludeDirectives) {
    ScratchDir dir;
    dir.write("part.glsl", "PART");
    EXPECT_EQ(bodyOf(dir.write("spaces.glsl", "A\n#include    \"part.glsl\" tail\n#include <part.glsl>\nZ")),
              "A\nPART tail\nPART\nZ");
    EXPECT_EQ(bodyOf(dir.write("twice.glsl", "#include \"part.glsl\"#include \"part.glsl\"")), "PARTPART");

    // A tab, a name without delimiters or a missing file stop everything:
    // the directives stay for the compiler to reject.
    EXPECT_EQ(bodyOf(dir.write("tab.glsl", "#include\t\"part.glsl\"\n#include \"part.glsl\"")),
              "#include\t\"part.glsl\"\n#include \"part.glsl\"");
    EXPECT_EQ(bodyOf(dir.write("bare.glsl", "#include part.glsl\n")), "#include part.glsl\n");
    EXPECT_EQ(bodyOf(dir.write("missing.glsl", "#include \"gone.glsl\"\n#include \"part.glsl\"")),
              "#include \"gone.glsl\"\n#include \"part.glsl\"");
    EXPECT_EQ(bodyOf(dir.write("open.glsl", "#include \"part.glsl")), "#include \"part.glsl");
}

TEST(ShaderSource, NestedIncludesResolveAgainstTheTopLevelFolder) {
    ScratchDir dir;
    dir.write("sub/outer.glsl", "outer(\n#include \"inner.glsl\"\n)");
    dir.write("inner.glsl", "top-level inner");
    dir.write("sub/inner.glsl", "wrong inner");
    EXPECT_EQ(bodyOf(dir.write("main.glsl", "#include \"sub/outer.glsl\"")), "outer(\ntop-level inner\n)");
}

TEST(ShaderSource, ZeroByteEndsTheFile) {
    ScratchDir dir;
    dir.write("part.glsl", std::string("in\0cluded", 9));
    EXPECT_EQ(bodyOf(dir.write("zero.glsl", std::string("kept\0#include \"part.glsl\"", 25))), "kept");
    EXPECT_EQ(bodyOf(dir.write("uses.glsl", "[#include \"part.glsl\"]")), "[in]");
}

TEST(ShaderSource, IncludeCyclesStop) {
    ScratchDir dir;
    EXPECT_EQ(bodyOf(dir.write("self.glsl", "S\n#include \"self.glsl\"\n")), "S\n#include \"self.glsl\"\n");

    dir.write("b.glsl", "B1\n#include \"a.glsl\"\nB2\n");
    EXPECT_EQ(bodyOf(dir.write("a.glsl", "A1\n#include \"b.glsl\"\nA2\n")), "A1\nB1\n#include \"a.glsl\"\nB2\n\nA2\n");

    // A cycle below the top-level file, reached twice.
    dir.write("c.glsl", "C\n#include \"d.glsl\"");
    dir.write("d.glsl", "D\n#include \"c.glsl\"");
    EXPECT_EQ(bodyOf(dir.write("top.glsl", "#include \"c.glsl\"\n#include \"c.glsl\"")),
              "C\nD\n#include \"c.glsl\"\n#include \"c.glsl\"");

    // A file reached through another spelling of its path is expanded once more, then caught.
    dir.write("sub/loop.glsl", "L#include \"sub/./loop.glsl\"");
    EXPECT_EQ(bodyOf(dir.write("spelt.glsl", "#include \"sub/loop.glsl\"")), "LL#include \"sub/./loop.glsl\"");
}

TEST(ShaderSource, IncludeFanOutIsBounded) {
    // Each level includes the next twice: 4096 copies of the last file in full.
    ScratchDir dir;
    dir.write("level12.glsl", "x");
    for (int i = 11; i >= 0; --i) {
        const std::string next = "#include \"level" + std::to_string(i + 1) + ".glsl\"";
        dir.write("level" + std::to_string(i) + ".glsl", next + next);
    }
    const std::string body = bodyOf(dir.file("level0.glsl"));
    EXPECT_NE(body.find("#include"), std::string::npos);
    EXPECT_LT(body.size(), 4096u + 1024u);
}
