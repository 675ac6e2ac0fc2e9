// Linux: plug-ins are shared objects opened with dlopen, and the dialogs and
// message box are the scripted stand-ins the plug-ins link against.
#include <dlfcn.h>
#include <limits.h>
#include <unistd.h>

#include "host_platform.h"
#include "win32_standin.h"

namespace qevhost {

bool LoadPlugInLibrary(const std::string& path, PlugInLibrary& library, std::string& error) {
    library = PlugInLibrary();
    void* handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        const char* why = dlerror();
        error = "cannot load plug-in " + path + ": " + (why ? why : "unknown error");
        return false;
    }
    void* create = dlsym(handle, "CreatePlugIn");
    void* destroy = dlsym(handle, "DestroyPlugIn");
    if (!create || !destroy) {
        error = "plug-in " + path + " does not export " + (create ? "DestroyPlugIn" : "CreatePlugIn");
        dlclose(handle);
        return false;
    }
    library.handle = handle;
    library.createPlugIn = reinterpret_cast<cMsPlugIn* (*)()>(create);
    library.destroyPlugIn = reinterpret_cast<void (*)(cMsPlugIn*)>(destroy);
    return true;
}

void UnloadPlugInLibrary(PlugInLibrary& library) {
    if (library.handle) dlclose(library.handle);
    library = PlugInLibrary();
}

std::string PlugInBesideHost(const std::string& base) {
    char self[PATH_MAX];
    const ssize_t length = readlink("/proc/self/exe", self, sizeof(self) - 1);
    std::string folder = ".";
    if (length > 0) {
        const std::string exe(self, static_cast<size_t>(length));
        const size_t slash = exe.rfind('/');
        if (slash != std::string::npos) folder = exe.substr(0, slash);
    }
    return folder + "/" + base + ".so";
}

void AnswerFileDialogWith(const std::string& path) { standin::ScriptDialogAnswer(path); }
void CancelFileDialog() { standin::ScriptDialogCancel(); }

std::vector<DialogRequest> RecordedDialogRequests() {
    std::vector<DialogRequest> requests;
    for (const standin::DialogRecord& record : standin::RecordedDialogs()) {
        DialogRequest request;
        request.function = record.function;
        request.title = record.title;
        request.flags = record.request.Flags;
        request.filter = record.filter;
        request.defaultExtension = record.defaultExtension;
        request.structSize = record.request.lStructSize;
        request.maxFile = record.request.nMaxFile;
        requests.push_back(request);
    }
    return requests;
}

std::vector<MessageBoxShown> RecordedMessageBoxes() {
    std::vector<MessageBoxShown> boxes;
    for (const standin::MessageBoxRecord& record : standin::RecordedMessageBoxes())
        boxes.push_back({record.text, record.caption, record.style});
    return boxes;
}

}  // namespace qevhost
