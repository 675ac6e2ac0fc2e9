// qev view FILE.qev|.glb|.gltf [-o PAGE.html]: one HTML page holding the model
// and the viewer, which works offline from disk.
#include <cstdio>

#include "output_file.h"
#include "qev_commands.h"
#include "view_source.h"
#include "viewer_page.h"

int RunViewCommand(const Arguments& args) {
    std::string input, output;
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] == "-o") {
            if (i + 1 == args.size()) return UsageError("view: -o needs a file name");
            output = args[++i];
        } else if (!args[i].empty() && args[i][0] == '-') {
            return UsageError("view: unknown option '" + args[i] + "'");
        } else if (input.empty()) {
            input = args[i];
        } else {
            return UsageError("view: one file at a time (qev view FILE [-o PAGE.html])");
        }
    }
    if (input.empty()) return UsageError("view: no file (qev view FILE.qev|.glb|.gltf [-o PAGE.html])");
    if (!ViewerPageAvailable()) return UsageError(ViewerMissingMessage());
    if (output.empty()) output = ReplaceExtension(input, ".html");

    ViewSource source;
    std::string error;
    if (!LoadViewSource(input, source, error)) return UsageError(error);
    if (!WriteWholeFile(output, MakeViewerPage(source.header, source.glb), error)) {
        fprintf(stderr, "qev: %s\n", error.c_str());
        return 1;
    }
    return 0;
}
