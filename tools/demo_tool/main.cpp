// demo-tool: inspection and capture commands built on the engine.
//   demo-tool <command> [arguments...]
// A command is a function `int nameCommand(int argc, char** argv)` in a file
// of its own (argv[0] is the first argument after the command name) plus one
// line in DEMO_TOOL_COMMANDS below.
#include <cstdio>
#include <cstring>

#define DEMO_TOOL_COMMANDS(X)                                                                                     \
    X(shader, "FILE [--compile vertex|fragment]", "print a shader as the engine assembles it, or compile it")     \
    X(image, "FILE", "decode an image and print its fields and pixel hash as JSON")                               \
    X(model, "FILE", "load a model file and print its meshes, children, skeleton and animation as JSON")          \
    X(thumbnail, "MODEL --out FILE.png [--size WxH]", "render a model on an offscreen context and write a PNG")   \
    X(capture, "--out DIR --frames N [--at F1,F2,...|--every K] [--size WxH] [--keys SCRIPT] [--sheet FILE.png]", \
      "run the demo offscreen for N frames (numbered from 1), save chosen frames as PNG, print timings as JSON")  \
    X(world, "[--water-level L] [--height-scale S] [--use-raw] [--heights]",                                      \
      "run the scattering pass and print the world as JSON")                                                      \
    RECORD_COMMAND(X)

// Built only where FFmpeg's libraries are found.
#ifdef DEMO_TOOL_RECORD
#define RECORD_COMMAND(X)                                                                                            \
    X(record,                                                                                                        \
      "--out FILE.mp4|FILE.mkv [--size WxH] [--frames N|--seconds S] [--fps 60|30] [--quality CRF] [--keys SCRIPT]", \
      "record the demo offscreen as H.264 video with the soundtrack as AAC, print a JSON summary")
#else
#define RECORD_COMMAND(X)
#endif

#define DECLARE_COMMAND(name, arguments, summary) int name##Command(int argc, char** argv);
DEMO_TOOL_COMMANDS(DECLARE_COMMAND)

struct DemoToolCommand {
    const char* name;
    const char* arguments;
    const char* summary;
    int (*run)(int argc, char** argv);
};

#define COMMAND_ENTRY(name, arguments, summary) {#name, arguments, summary, name##Command},
static const DemoToolCommand kCommands[] = {DEMO_TOOL_COMMANDS(COMMAND_ENTRY)};

static int usage() {
    std::fprintf(stderr, "usage: demo-tool <command> [arguments...]\n\ncommands:\n");
    for (const DemoToolCommand& command : kCommands)
        std::fprintf(stderr, "  %s %s\n      %s\n", command.name, command.arguments, command.summary);
    return 1;
}

int main(int argc, char** argv) {
    if (argc < 2) return usage();
    for (const DemoToolCommand& command : kCommands)
        if (std::strcmp(argv[1], command.name) == 0) return command.run(argc - 2, argv + 2);
    std::fprintf(stderr, "demo-tool: unknown command '%s'\n", argv[1]);
    return usage();
}
