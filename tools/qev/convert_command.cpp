// qev convert: one file to another format, or many files at once.
//
//   qev convert IN OUT                                   formats by extension
//   qev convert IN... --to glb|gltf|qev|json [--out-dir DIR]
//   options: --scale S   --flip-v
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <vector>

#include "model_adjust.h"
#include "model_files.h"
#include "qev_commands.h"

namespace {

struct ConvertRequest {
    std::vector<std::string> inputs;
    std::string output;  // the two-path form
    ModelFormat to = ModelFormat::Unknown;
    std::string outDir;
    GltfOptions options;
};

// Returns an empty string, or what is wrong with the command line.
std::string ParseRequest(const Arguments& args, ConvertRequest& request) {
    std::vector<std::string> paths;
    bool haveTo = false, haveOutDir = false;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        auto value = [&](std::string& out) {
            if (i + 1 >= args.size()) return false;
            out = args[++i];
            return true;
        };
        if (arg == "--to") {
            std::string format;
            if (!value(format)) return "--to needs a format (glb, gltf, qev, json)";
            request.to = FormatOfExtension(format);
            if (request.to == ModelFormat::Unknown) return "--to " + format + ": not one of glb, gltf, qev, json";
            haveTo = true;
        } else if (arg == "--out-dir") {
            if (!value(request.outDir)) return "--out-dir needs a folder";
            haveOutDir = true;
        } else if (arg == "--scale") {
            std::string text;
            if (!value(text)) return "--scale needs a number";
            char* end = nullptr;
            const double scale = strtod(text.c_str(), &end);
            if (text.empty() || *end != '\0' || !std::isfinite(scale) || scale == 0)
                return "--scale " + text + ": not a finite non-zero number";
            request.options.scale = scale;
        } else if (arg == "--flip-v") {
            request.options.flipV = true;
        } else if (arg.size() > 1 && arg[0] == '-') {
            return "unknown option '" + arg + "'";
        } else {
            paths.push_back(arg);
        }
    }
    if (haveOutDir && !haveTo) return "--out-dir goes with --to";
    if (haveTo) {
        if (paths.empty()) return "no input files";
        request.inputs = paths;
        return "";
    }
    if (paths.size() != 2) return "give IN OUT, or IN... --to FORMAT";
    if (FormatOfPath(paths[1]) == ModelFormat::Unknown)
        return paths[1] + ": the extension must be .qev, .json, .glb or .gltf";
    request.inputs = {paths[0]};
    request.output = paths[1];
    request.to = FormatOfPath(paths[1]);
    return "";
}

std::string OutputPathFor(const std::string& input, const ConvertRequest& request) {
    const size_t slash = input.find_last_of('/');
    std::string folder = slash == std::string::npos ? "" : input.substr(0, slash + 1);
    std::string name = slash == std::string::npos ? input : input.substr(slash + 1);
    const size_t dot = name.find_last_of('.');
    if (dot != std::string::npos && dot > 0) name.resize(dot);
    if (!request.outDir.empty()) folder = request.outDir + (request.outDir.back() == '/' ? "" : "/");
    return folder + name + "." + ExtensionOf(request.to);
}

bool SameFile(const std::string& a, const std::string& b) {
    struct stat sa, sb;
    if (stat(a.c_str(), &sa) != 0 || stat(b.c_str(), &sb) != 0) return false;
    return sa.st_dev == sb.st_dev && sa.st_ino == sb.st_ino;
}

// One conversion; false (with its lines on standard error) when it failed.
bool ConvertOne(const std::string& input, const std::string& output, const ConvertRequest& request) {
    if (SameFile(input, output)) {
        fprintf(stderr, "qev: %s: the output %s is the input itself; nothing written\n", input.c_str(), output.c_str());
        return false;
    }
    msModel model;
    std::vector<std::string> warnings;
    std::string error;
    const bool read = ReadModelAny(input, GltfOptions(), model, warnings, error);
    for (const std::string& warning : warnings) fprintf(stderr, "qev: %s: warning: %s\n", input.c_str(), warning.c_str());
    if (!read) {
        fprintf(stderr, "qev: %s: %s\n", input.c_str(), error.c_str());
        return false;
    }
    AdjustModel(model, request.options);
    if (!WriteModelAny(model, output, request.to, GltfOptions(), error)) {
        fprintf(stderr, "qev: %s: %s\n", input.c_str(), error.c_str());
        return false;
    }
    return true;
}

}  // namespace

int RunConvertCommand(const Arguments& args) {
    ConvertRequest request;
    const std::string problem = ParseRequest(args, request);
    if (!problem.empty()) return UsageError("convert: " + problem);
    if (!request.outDir.empty()) {
        struct stat st;
        if (stat(request.outDir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode))
            return UsageError("convert: --out-dir " + request.outDir + ": not a folder");
    }
    bool allConverted = true;
    for (const std::string& input : request.inputs) {
        const std::string output = request.output.empty() ? OutputPathFor(input, request) : request.output;
        allConverted = ConvertOne(input, output, request) && allConverted;
    }
    return allConverted ? 0 : 1;
}
