#include "file_commands.h"

#include <cstdio>

#include "file_facts.h"
#include "file_reports.h"
#include "json_stream.h"

namespace {

struct FileOptions {
    std::vector<std::string> files;
    bool json = false;
    bool strict = false;
};

// Options may stand anywhere; "--" ends them, so a file may start with "-".
bool ParseFileOptions(FileCommand command, const Arguments& args, FileOptions& options, std::string& error) {
    bool optionsEnded = false;
    for (const std::string& arg : args) {
        if (optionsEnded || arg.empty() || arg[0] != '-') options.files.push_back(arg);
        else if (arg == "--") optionsEnded = true;
        else if (arg == "--json") options.json = true;
        else if (arg == "--strict" && command == FileCommand::kCheck) options.strict = true;
        else {
            error = "unknown option '" + arg + "' for " + (command == FileCommand::kInfo ? "info" : "check");
            return false;
        }
    }
    if (options.files.empty()) {
        error = std::string("no file given (qev ") + (command == FileCommand::kInfo ? "info" : "check") +
                " FILE.qev...)";
        return false;
    }
    return true;
}

}  // namespace

// Every file is reported, whatever happened to the one before; the status is
// the worst: 2 when a file could not be read, 1 when check found errors
// (or warnings, with --strict).
int RunFileCommand(FileCommand command, const Arguments& args) {
    FileOptions options;
    std::string error;
    if (!ParseFileOptions(command, args, options, error)) return UsageError(error);

    qevmodel::JsonStream stream(stdout);
    if (options.json) {
        stream.BeginObject(true);
        stream.Key("files").BeginArray(true);
    }
    int status = 0;
    for (const std::string& path : options.files) {
        FileFacts facts;
        if (!ReadFileFacts(path, facts, error)) {
            std::fflush(stdout);
            std::fprintf(stderr, "qev: %s\n", error.c_str());
            if (options.json) WriteUnreadableFileJson(path, error, stream);
            status = 2;
            continue;
        }
        if (options.json) WriteFileJson(facts, stream);
        else if (command == FileCommand::kInfo) PrintInfoText(facts, stdout);
        else PrintCheckText(facts, stdout);
        const bool failed = facts.errors > 0 || (options.strict && facts.warnings > 0);
        if (command == FileCommand::kCheck && failed && status < 1) status = 1;
    }
    if (options.json) {
        stream.End();
        stream.End();
        stream.Finish();
    }
    if (std::fflush(stdout) != 0) return 2;
    return status;
}
