#include "win32_standin.h"

#include <algorithm>
#include <cstring>

namespace standin {
namespace {

struct Script {
    bool chosen = false;
    std::string path;
    std::vector<DialogRecord> dialogs;
    std::vector<MessageBoxRecord> boxes;
};

Script& State() {
    static Script script;
    return script;
}

std::string TextOrEmpty(const char* text) { return text ? text : ""; }

// Reads a double-NUL-terminated list, bounded so a missing end cannot run away.
void ReadFilter(const char* list, DialogRecord& record) {
    if (!list) return;
    const size_t kLimit = 4096;
    size_t at = 0;
    while (at < kLimit) {
        const size_t len = strnlen(list + at, kLimit - at);
        if (len == 0) break;
        record.filter.emplace_back(list + at, len);
        at += len + 1;
    }
    record.filterBytes.assign(list, list + std::min(at + 1, kLimit));
}

BOOL Answer(const char* function, OPENFILENAMEA* request) {
    Script& script = State();
    DialogRecord record;
    record.function = function;
    if (request) {
        record.request = *request;
        record.title = TextOrEmpty(request->lpstrTitle);
        record.defaultExtension = TextOrEmpty(request->lpstrDefExt);
        if (request->lpstrFile && request->nMaxFile > 0)
            record.initialFile.assign(request->lpstrFile, strnlen(request->lpstrFile, request->nMaxFile));
        ReadFilter(request->lpstrFilter, record);
    } else {
        std::memset(&record.request, 0, sizeof(record.request));
    }
    script.dialogs.push_back(record);

    // Like the platform's dialog: a path that does not fit the buffer fails.
    if (!script.chosen || !request || !request->lpstrFile || script.path.size() + 1 > request->nMaxFile) return 0;
    std::memcpy(request->lpstrFile, script.path.c_str(), script.path.size() + 1);
    return 1;
}

}  // namespace

void ScriptDialogAnswer(const std::string& path) {
    State().chosen = true;
    State().path = path;
}

void ScriptDialogCancel() {
    State().chosen = false;
    State().path.clear();
}

const std::vector<DialogRecord>& RecordedDialogs() { return State().dialogs; }
const std::vector<MessageBoxRecord>& RecordedMessageBoxes() { return State().boxes; }

void ResetWin32StandIn() { State() = Script(); }

}  // namespace standin

extern "C" {

BOOL GetOpenFileNameA(OPENFILENAMEA* request) { return standin::Answer("GetOpenFileNameA", request); }

BOOL GetSaveFileNameA(OPENFILENAMEA* request) { return standin::Answer("GetSaveFileNameA", request); }

int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style) {
    standin::MessageBoxRecord record;
    record.text = standin::TextOrEmpty(text);
    record.caption = standin::TextOrEmpty(caption);
    record.style = style;
    record.hasOwner = owner != nullptr;
    standin::State().boxes.push_back(record);
    return IDOK;
}
}
