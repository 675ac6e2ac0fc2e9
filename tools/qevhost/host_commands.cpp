#include "host_commands.h"

#include <cstring>

#include "host_platform.h"
#include "model_json.h"

namespace qevhost {

using qevmodel::Json;
using qevmodel::JsonStream;
using qevmodel::Latin1ToUtf8;
using qevmodel::WriteModelJson;
using qevmodel::WriteModelSummaryJson;
using qevmodel::PrintJson;
using qevmodel::ReadModelFile;

namespace {

const char kImporterBase[] = "msQevImporter";
const char kExporterBase[] = "msQevExporter";

// GetTitle's buffer is 64 bytes; never read past it even without a terminator.
std::string TitleOf(cMsPlugIn* plugIn) {
    const char* title = plugIn->GetTitle();
    if (!title) return "";
    return Latin1ToUtf8(std::string(title, strnlen(title, 64)));
}

Json DialogsToJson() {
    Json dialogs = Json::array();
    for (const DialogRequest& request : RecordedDialogRequests()) {
        Json filter = Json::array();
        for (const std::string& item : request.filter) filter.push_back(Latin1ToUtf8(item));
        Json json = Json::object();
        json["function"] = request.function;
        json["title"] = Latin1ToUtf8(request.title);
        json["flags"] = request.flags;
        json["filter"] = std::move(filter);
        json["default_extension"] = Latin1ToUtf8(request.defaultExtension);
        json["struct_size"] = request.structSize;
        json["max_file"] = request.maxFile;
        dialogs.push_back(std::move(json));
    }
    return dialogs;
}

Json MessageBoxesToJson() {
    Json boxes = Json::array();
    for (const MessageBoxShown& box : RecordedMessageBoxes()) {
        Json json = Json::object();
        json["text"] = Latin1ToUtf8(box.text);
        json["caption"] = Latin1ToUtf8(box.caption);
        json["style"] = box.style;
        boxes.push_back(std::move(json));
    }
    return boxes;
}

HostOutcome HostError(const std::string& error) {
    HostOutcome outcome;
    outcome.exitStatus = kHostError;
    outcome.error = error;
    return outcome;
}

bool LoadPlugIn(const std::string& path, PlugInLibrary& library, cMsPlugIn*& plugIn, std::string& error) {
    if (!LoadPlugInLibrary(path, library, error)) return false;
    plugIn = library.createPlugIn();
    if (plugIn) return true;
    error = "CreatePlugIn of " + path + " returned no object";
    UnloadPlugInLibrary(library);
    return false;
}

HostOutcome RunInfo() {
    Json report = Json::object();
    const struct {
        const char* key;
        const char* base;
    } plugIns[] = {{"importer", kImporterBase}, {"exporter", kExporterBase}};
    for (const auto& entry : plugIns) {
        const std::string path = PlugInBesideHost(entry.base);
        PlugInLibrary library;
        cMsPlugIn* plugIn = nullptr;
        std::string error;
        if (!LoadPlugIn(path, library, plugIn, error)) return HostError(error);
        Json json = Json::object();
        json["library"] = path;
        json["type"] = plugIn->GetType();
        json["title"] = TitleOf(plugIn);
        library.destroyPlugIn(plugIn);
        UnloadPlugInLibrary(library);
        report[entry.key] = std::move(json);
    }
    HostOutcome outcome;
    outcome.exitStatus = kExecuteSucceeded;
    outcome.report = PrintJson(report);
    return outcome;
}

HostOutcome RunPlugInCommand(const HostOptions& options) {
    msModel model;
    std::string error;
    if (!options.modelPath.empty() && !ReadModelFile(options.modelPath, model, error)) return HostError(error);

    const bool importing = options.command == Command::Import;
    const std::string path =
        options.plugInPath.empty() ? PlugInBesideHost(importing ? kImporterBase : kExporterBase) : options.plugInPath;
    PlugInLibrary library;
    cMsPlugIn* plugIn = nullptr;
    if (!LoadPlugIn(path, library, plugIn, error)) return HostError(error);

    if (options.cancel) CancelFileDialog();
    else AnswerFileDialogWith(options.qevPath);
    const int result = plugIn->Execute(options.nullModel ? nullptr : &model);
    library.destroyPlugIn(plugIn);
    UnloadPlugInLibrary(library);

    // Written as a stream: a model of a million meshes must not be held a
    // second time as one JSON document.
    JsonStream report(stdout);
    report.BeginObject(true);
    report.Key("result").Value(result);
    report.Key("destroy_calls").Value(model.destroyCalls);
    report.Key("dialogs").Value(DialogsToJson());
    report.Key("message_boxes").Value(MessageBoxesToJson());
    report.Key("model");
    if (options.summary) WriteModelSummaryJson(report, model);
    else WriteModelJson(report, model);
    report.End();
    report.Finish();

    HostOutcome outcome;
    outcome.exitStatus = result == 0 ? kExecuteSucceeded : kExecuteFailed;
    return outcome;  // the report is out already
}

}  // namespace

HostOutcome RunHost(const HostOptions& options) {
    switch (options.command) {
    case Command::Info:
        return RunInfo();
    case Command::Import:
    case Command::Export:
        return RunPlugInCommand(options);
    case Command::Help:
        break;
    }
    HostOutcome outcome;
    outcome.exitStatus = kExecuteSucceeded;
    outcome.report = kUsage;
    return outcome;
}

}  // namespace qevhost
