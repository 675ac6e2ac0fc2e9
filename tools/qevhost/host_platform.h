// What qevhost needs of the platform, kept apart so the rest of the host builds
// unchanged for Linux (host_platform_native.cpp) and for Windows: loading a
// plug-in library, answering its file dialog, and reading back every dialog
// request and message box it made.
#ifndef QEVHOST_HOST_PLATFORM_H
#define QEVHOST_HOST_PLATFORM_H

#include <cstdint>
#include <string>
#include <vector>

#include "msPlugIn.h"

namespace qevhost {

struct PlugInLibrary {
    void* handle = nullptr;
    cMsPlugIn* (*createPlugIn)() = nullptr;
    void (*destroyPlugIn)(cMsPlugIn*) = nullptr;
};

// Loads the library at path and finds both exports. On failure returns false
// with a one-line reason and nothing stays loaded.
bool LoadPlugInLibrary(const std::string& path, PlugInLibrary& library, std::string& error);
void UnloadPlugInLibrary(PlugInLibrary& library);

// The plug-in library named base ("msQevImporter") in qevhost's own folder,
// with the platform's extension.
std::string PlugInBesideHost(const std::string& base);

// What the next file dialog answers: the path, or nothing chosen.
void AnswerFileDialogWith(const std::string& path);
void CancelFileDialog();

struct DialogRequest {
    std::string function;  // "GetOpenFileNameA" or "GetSaveFileNameA"
    std::string title;
    uint32_t flags = 0;
    std::vector<std::string> filter;  // display text and pattern strings in order
    std::string defaultExtension;
    uint32_t structSize = 0;
    uint32_t maxFile = 0;
};

struct MessageBoxShown {
    std::string text;
    std::string caption;
    uint32_t style = 0;
};

std::vector<DialogRequest> RecordedDialogRequests();
std::vector<MessageBoxShown> RecordedMessageBoxes();

}  // namespace qevhost

#endif
