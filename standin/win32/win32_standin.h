// Scripted stand-ins for the Windows dialogs and message box (native builds).
// A test or qevhost says what the next dialogs answer; every request and every
// message box is recorded with all of its fields.
#ifndef QEV_WIN32_STANDIN_H
#define QEV_WIN32_STANDIN_H

#include <cstdint>
#include <string>
#include <vector>

#include "win32_api.h"

namespace standin {

struct DialogRecord {
    std::string function;  // "GetOpenFileNameA" or "GetSaveFileNameA"
    OPENFILENAMEA request;  // the request as received; pointers are the caller's
    std::string title;
    std::vector<std::string> filter;  // display/pattern strings up to the empty one
    std::vector<unsigned char> filterBytes;  // up to and including the closing double NUL
    std::string defaultExtension;
    std::string initialFile;  // what lpstrFile held on entry
};

struct MessageBoxRecord {
    std::string text;
    std::string caption;
    uint32_t style = 0;
    bool hasOwner = false;
};

// What the next dialogs answer: a path (chosen) or nothing (cancel).
void ScriptDialogAnswer(const std::string& path);
void ScriptDialogCancel();

const std::vector<DialogRecord>& RecordedDialogs();
const std::vector<MessageBoxRecord>& RecordedMessageBoxes();
void ResetWin32StandIn();  // forgets the records; the answer becomes cancel

}  // namespace standin

#endif
