#include "command_line.h"

namespace qevhost {

const char kUsage[] =
    "usage: qevhost import FILE [--into MODEL.json] [options]   import FILE into an empty model (or MODEL.json)\n"
    "       qevhost export MODEL.json FILE [options]            export MODEL.json to FILE\n"
    "       qevhost info                                        type value and title of both plug-ins\n"
    "options: --cancel       the file dialog returns \"nothing chosen\"\n"
    "         --null-model   Execute is called with a null model handle\n"
    "         --plugin PATH  the plug-in library to load (default: the one beside qevhost)\n"
    "         --summary      the report's model gives only mesh names and counts and bone names\n"
    "Prints one JSON report. Exit status: 0 when Execute returned 0, 1 when it returned -1,\n"
    "2 for a usage error, an unreadable or invalid model JSON, or a plug-in that cannot be loaded.\n";

namespace {

bool TakeValue(const std::vector<std::string>& args, size_t& at, std::string& value, std::string& error) {
    const std::string& option = args[at];
    if (!value.empty()) {
        error = option + " given twice";
        return false;
    }
    if (at + 1 >= args.size() || args[at + 1].empty()) {
        error = option + " needs a value";
        return false;
    }
    value = args[++at];
    return true;
}

}  // namespace

bool ParseCommandLine(const std::vector<std::string>& args, HostOptions& options, std::string& error) {
    options = HostOptions();
    if (args.empty()) {
        error = "no command given (import, export, info)";
        return false;
    }
    const std::string& command = args[0];
    if (command == "--help" || command == "-h" || command == "help") {
        options.command = Command::Help;
        if (args.size() == 1) return true;
        error = "help takes no arguments";
        return false;
    }
    if (command == "import") options.command = Command::Import;
    else if (command == "export") options.command = Command::Export;
    else if (command == "info") options.command = Command::Info;
    else {
        error = "unknown command '" + command + "' (import, export, info)";
        return false;
    }

    std::vector<std::string> positional;
    std::string into;
    bool anyOption = false;
    for (size_t at = 1; at < args.size(); ++at) {
        const std::string& arg = args[at];
        if (arg.size() < 2 || arg.compare(0, 2, "--") != 0) {
            positional.push_back(arg);
            continue;
        }
        anyOption = true;
        if (arg == "--cancel") options.cancel = true;
        else if (arg == "--null-model") options.nullModel = true;
        else if (arg == "--summary") options.summary = true;
        else if (arg == "--plugin") {
            if (!TakeValue(args, at, options.plugInPath, error)) return false;
        } else if (arg == "--into") {
            if (!TakeValue(args, at, into, error)) return false;
        } else {
            error = "unknown option '" + arg + "'";
            return false;
        }
    }

    switch (options.command) {
    case Command::Info:
        if (!positional.empty() || anyOption) {
            error = "info takes no arguments";
            return false;
        }
        return true;
    case Command::Import:
        if (positional.size() != 1) {
            error = "import needs exactly one FILE";
            return false;
        }
        options.qevPath = positional[0];
        options.modelPath = into;
        return true;
    case Command::Export:
        if (!into.empty()) {
            error = "--into is for import only";
            return false;
        }
        if (positional.size() != 2) {
            error = "export needs MODEL.json and FILE";
            return false;
        }
        options.modelPath = positional[0];
        options.qevPath = positional[1];
        return true;
    case Command::Help:
        break;
    }
    return true;
}

}  // namespace qevhost
