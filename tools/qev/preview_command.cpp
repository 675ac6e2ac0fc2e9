// qev preview FILE... [-o OUT.png | --out-dir DIR] [--size WxH]: a PNG of each
// model from the viewer page's fixed three-quarter view, taken by one headless
// browser for all files.
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "headless_browser.h"
#include "output_file.h"
#include "qev_commands.h"
#include "view_source.h"
#include "viewer_page.h"

namespace {

const int kMaxSide = 8192;

bool ParseSize(const std::string& text, int& width, int& height) {
    char* end = nullptr;
    const long w = strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || (*end != 'x' && *end != 'X')) return false;
    const char* rest = end + 1;
    const long h = strtol(rest, &end, 10);
    if (end == rest || *end != '\0' || w < 1 || h < 1 || w > kMaxSide || h > kMaxSide) return false;
    width = int(w);
    height = int(h);
    return true;
}

std::string PictureName(const std::string& input) {
    return ReplaceExtension(std::filesystem::path(input).filename().string(), ".png");
}

// The page goes to a private folder of its own: the browser opens it from disk.
struct ScratchPage {
    std::string folder;
    std::string path;
    ~ScratchPage() {
        std::error_code ignored;
        if (!folder.empty()) std::filesystem::remove_all(folder, ignored);
    }
};

}  // namespace

int RunPreviewCommand(const Arguments& args) {
    std::vector<std::string> inputs;
    std::string output, outDir;
    int width = 800, height = 600;
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        const bool hasValue = i + 1 < args.size();
        if (arg == "-o" || arg == "--out-dir" || arg == "--size") {
            if (!hasValue) return UsageError("preview: " + arg + " needs a value");
            const std::string& value = args[++i];
            if (arg == "-o") output = value;
            else if (arg == "--out-dir") outDir = value;
            else if (!ParseSize(value, width, height))
                return UsageError("preview: --size wants WIDTHxHEIGHT, each 1 to 8192 (e.g. 800x600), not '" +
                                  value + "'");
        } else if (!arg.empty() && arg[0] == '-') {
            return UsageError("preview: unknown option '" + arg + "'");
        } else {
            inputs.push_back(arg);
        }
    }
    if (inputs.empty()) return UsageError("preview: no file (qev preview FILE... [-o OUT.png | --out-dir DIR])");
    if (!output.empty() && !outDir.empty()) return UsageError("preview: -o and --out-dir do not go together");
    if (!output.empty() && inputs.size() > 1) return UsageError("preview: -o takes one file; use --out-dir for several");
    if (!ViewerPageAvailable()) return UsageError(ViewerMissingMessage());
    const std::string browserProgram = FindBrowser();
    if (browserProgram.empty()) return UsageError(MissingBrowserMessage());

    ScratchPage scratch;
    char folder[] = "/tmp/qev-preview-XXXXXX";
    if (!mkdtemp(folder)) return UsageError("preview: cannot make a scratch folder in /tmp");
    scratch.folder = folder;
    scratch.path = scratch.folder + "/page.html";

    HeadlessBrowser browser;
    bool browserStarted = false;
    int status = 0;
    for (const std::string& input : inputs) {
        std::string target = output;
        if (target.empty()) {
            target = outDir.empty() ? ReplaceExtension(input, ".png")
                                    : (std::filesystem::path(outDir) / PictureName(input)).string();
        }
        ViewSource source;
        std::string error;
        if (!LoadViewSource(input, source, error)) {
            fprintf(stderr, "qev: %s\n", error.c_str());
            status = 2;
            continue;
        }
        if (!WriteWholeFile(scratch.path, MakeViewerPage(source.header, source.glb), error)) {
            fprintf(stderr, "qev: %s\n", error.c_str());
            return 2;
        }
        if (!browserStarted) {
            if (!browser.Start(browserProgram, error)) {
                fprintf(stderr, "qev: preview: cannot start %s: %s\n", browserProgram.c_str(), error.c_str());
                return 2;
            }
            browserStarted = true;
        }
        std::vector<unsigned char> png;
        if (!browser.Picture("file://" + scratch.path + "#preview", width, height, png, error)) {
            fprintf(stderr, "qev: %s: %s\n", input.c_str(), error.c_str());
            if (status == 0) status = 1;
            continue;
        }
        if (!WriteWholeFile(target, std::string(png.begin(), png.end()), error)) {
            fprintf(stderr, "qev: %s\n", error.c_str());
            if (status == 0) status = 1;
        }
    }
    return status;
}
