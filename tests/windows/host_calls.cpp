#include "host_calls.h"

namespace host {

std::string ProgramFolder() {
    char path[MAX_PATH];
    const DWORD length = GetModuleFileNameA(nullptr, path, sizeof(path));
    std::string folder(path, length < sizeof(path) ? length : 0);
    const size_t slash = folder.find_last_of("\\/");
    return slash == std::string::npos ? std::string(".") : folder.substr(0, slash);
}

PlugInLibrary::PlugInLibrary(const char* name) {
    const std::string path = ProgramFolder() + "\\" + name;
    module = LoadLibraryA(path.c_str());
    if (!module) return;
    create = reinterpret_cast<CreatePlugInFn>(reinterpret_cast<void*>(GetProcAddress(module, "CreatePlugIn")));
    destroy = reinterpret_cast<DestroyPlugInFn>(reinterpret_cast<void*>(GetProcAddress(module, "DestroyPlugIn")));
}

PlugInLibrary::~PlugInLibrary() {
    if (module) FreeLibrary(module);
}

}  // namespace host
