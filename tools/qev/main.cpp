// qev: inspect, check, convert and show QEV model files.
#include <csignal>
#include <cstdio>
#include <cstring>

#include <unistd.h>

#include "qev_commands.h"

namespace {

struct Command {
    const char* name;
    int (*run)(const Arguments&);
    const char* usage;
};

const Command kCommands[] = {
    {"info", RunInfoCommand, "qev info FILE.qev... [--json]"},
    {"check", RunCheckCommand, "qev check FILE.qev... [--json] [--strict]"},
    {"convert", RunConvertCommand, "qev convert IN OUT | qev convert IN... --to glb|gltf|qev|json [--out-dir DIR]"},
    {"view", RunViewCommand, "qev view FILE.qev|.glb|.gltf [-o PAGE.html]"},
    {"preview", RunPreviewCommand, "qev preview FILE... [-o OUT.png | --out-dir DIR] [--size WxH]"},
};

// A .glb is read where the system maps it. If another program cuts the file
// short meanwhile, touching a page past its new end raises SIGBUS: say so in
// one line and fail, rather than die without a word.
void FileCutWhileRead(int) {
    static const char kMessage[] = "qev: a file was cut short by another program while qev read it\n";
    ssize_t ignored = write(STDERR_FILENO, kMessage, sizeof(kMessage) - 1);
    (void)ignored;
    _exit(1);
}

void PrintUsage(FILE* to) {
    fputs("usage:\n", to);
    for (const Command& command : kCommands) fprintf(to, "  %s\n", command.usage);
}

}  // namespace

int UsageError(const std::string& message) {
    fprintf(stderr, "qev: %s\n", message.c_str());
    return 2;
}

int main(int argc, char** argv) {
    std::signal(SIGBUS, FileCutWhileRead);
    if (argc < 2) return UsageError("no command (info, check, convert, view, preview; qev --help)");
    const char* name = argv[1];
    if (strcmp(name, "--help") == 0 || strcmp(name, "-h") == 0 || strcmp(name, "help") == 0) {
        PrintUsage(stdout);
        return 0;
    }
    for (const Command& command : kCommands) {
        if (strcmp(name, command.name) == 0) return command.run(Arguments(argv + 2, argv + argc));
    }
    return UsageError(std::string("unknown command '") + name + "' (info, check, convert, view, preview)");
}
