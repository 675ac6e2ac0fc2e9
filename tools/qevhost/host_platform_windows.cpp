// Windows: plug-ins are DLLs loaded with LoadLibraryA. The dialogs are those of
// the comdlg32.dll the plug-ins import; under Wine with comdlg32=n that is the
// scripted stand-in beside qevhost.exe, driven through its extra exports. With
// the system's own comdlg32 the user answers the real dialog and no request is
// recorded. The message box is the system's and is not recorded.
#include <windows.h>

#include "comdlg32_standin.h"
#include "host_platform.h"

namespace qevhost {
namespace {

template <typename Fn>
Fn Export(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

std::string LastErrorText() {
    char text[256] = "";
    const DWORD error = GetLastError();
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0, text,
                   sizeof(text), nullptr);
    std::string message(text);
    while (!message.empty() && (message.back() == '\n' || message.back() == '\r')) message.pop_back();
    return message.empty() ? "error " + std::to_string(error) : message;
}

// The scripting exports of the loaded comdlg32.dll, bound on first use. It
// stays loaded, so the script set here is the one the plug-in meets.
struct DialogStandIn {
    QevComdlg32ScriptAnswerFn answer = nullptr;
    QevComdlg32RecordCountFn count = nullptr;
    QevComdlg32GetRecordFn get = nullptr;
};

const DialogStandIn& StandIn() {
    static DialogStandIn standIn = [] {
        DialogStandIn bound;
        if (HMODULE module = LoadLibraryA("comdlg32.dll")) {
            bound.answer = Export<QevComdlg32ScriptAnswerFn>(module, QEV_COMDLG32_SCRIPT_ANSWER);
            bound.count = Export<QevComdlg32RecordCountFn>(module, QEV_COMDLG32_RECORD_COUNT);
            bound.get = Export<QevComdlg32GetRecordFn>(module, QEV_COMDLG32_GET_RECORD);
        }
        return bound;
    }();
    return standIn;
}

std::vector<std::string> FilterStrings(const QevDialogRecord& record) {
    std::vector<std::string> strings;
    const char* list = reinterpret_cast<const char*>(record.filterBytes);
    size_t at = 0;
    while (at < record.filterLength) {
        const size_t length = strnlen(list + at, record.filterLength - at);
        if (length == 0) break;
        strings.emplace_back(list + at, length);
        at += length + 1;
    }
    return strings;
}

}  // namespace

bool LoadPlugInLibrary(const std::string& path, PlugInLibrary& library, std::string& error) {
    library = PlugInLibrary();
    HMODULE module = LoadLibraryA(path.c_str());
    if (!module) {
        error = "cannot load plug-in " + path + ": " + LastErrorText();
        return false;
    }
    auto create = Export<cMsPlugIn* (*)()>(module, "CreatePlugIn");
    auto destroy = Export<void (*)(cMsPlugIn*)>(module, "DestroyPlugIn");
    if (!create || !destroy) {
        error = "plug-in " + path + " does not export " + (create ? "DestroyPlugIn" : "CreatePlugIn");
        FreeLibrary(module);
        return false;
    }
    library.handle = module;
    library.createPlugIn = create;
    library.destroyPlugIn = destroy;
    return true;
}

void UnloadPlugInLibrary(PlugInLibrary& library) {
    if (library.handle) FreeLibrary(static_cast<HMODULE>(library.handle));
    library = PlugInLibrary();
}

std::string PlugInBesideHost(const std::string& base) {
    char self[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, self, sizeof(self));
    std::string folder = ".";
    if (length > 0 && length < sizeof(self)) {
        const std::string exe(self, length);
        const size_t slash = exe.find_last_of("\\/");
        if (slash != std::string::npos) folder = exe.substr(0, slash);
    }
    return folder + "\\" + base + ".dll";
}

void AnswerFileDialogWith(const std::string& path) {
    if (StandIn().answer) StandIn().answer(path.c_str());
}

void CancelFileDialog() {
    if (StandIn().answer) StandIn().answer(nullptr);
}

std::vector<DialogRequest> RecordedDialogRequests() {
    std::vector<DialogRequest> requests;
    if (!StandIn().count || !StandIn().get) return requests;
    const int count = StandIn().count();
    for (int i = 0; i < count; ++i) {
        QevDialogRecord record;
        if (!StandIn().get(i, &record)) continue;
        DialogRequest request;
        request.function = record.function;
        request.title = record.title;
        request.flags = record.request.Flags;
        request.filter = FilterStrings(record);
        request.defaultExtension = record.defaultExtension;
        request.structSize = record.request.lStructSize;
        request.maxFile = record.request.nMaxFile;
        requests.push_back(request);
    }
    return requests;
}

std::vector<MessageBoxShown> RecordedMessageBoxes() { return {}; }

}  // namespace qevhost
