// This module is comdlg32 itself: its dialog functions are defined, not imported.
#define _COMDLG32_
#include "comdlg32_standin.h"

#include <cstring>

namespace {

const int kMaxRecords = 32;
const size_t kMaxPath = 260;

// The script and the record live in fixed storage: the test program reads
// them back through the exports while the plug-ins keep calling.
struct Script {
    bool chosen;
    char path[kMaxPath];
    int recordCount;
    QevDialogRecord records[kMaxRecords];
};

Script g_script;

void CopyText(char* to, size_t size, const char* from) {
    std::memset(to, 0, size);
    if (from) std::strncpy(to, from, size - 1);
}

// Copies a double-NUL-terminated list, bounded by the record's buffer.
void CopyFilter(const char* list, QevDialogRecord& record) {
    record.filterLength = 0;
    if (!list) return;
    const size_t limit = sizeof(record.filterBytes);
    size_t at = 0;
    while (at < limit) {
        const size_t length = strnlen(list + at, limit - at);
        at += length + 1;
        if (length == 0) break;
    }
    if (at > limit) at = limit;
    std::memcpy(record.filterBytes, list, at);
    record.filterLength = static_cast<unsigned int>(at);
}

BOOL Answer(const char* function, OPENFILENAMEA* request) {
    if (g_script.recordCount < kMaxRecords) {
        QevDialogRecord& record = g_script.records[g_script.recordCount++];
        std::memset(&record, 0, sizeof(record));
        CopyText(record.function, sizeof(record.function), function);
        if (request) {
            record.request = *request;
            CopyText(record.title, sizeof(record.title), request->lpstrTitle);
            CopyText(record.defaultExtension, sizeof(record.defaultExtension), request->lpstrDefExt);
            if (request->lpstrFile && request->nMaxFile > 0) {
                const size_t length = strnlen(request->lpstrFile, request->nMaxFile);
                std::memcpy(record.initialFile, request->lpstrFile,
                            length < sizeof(record.initialFile) ? length : sizeof(record.initialFile) - 1);
            }
            CopyFilter(request->lpstrFilter, record);
        }
    }
    // Like the platform's dialog: a path that does not fit the buffer fails.
    if (!g_script.chosen || !request || !request->lpstrFile) return FALSE;
    const size_t length = std::strlen(g_script.path);
    if (length + 1 > request->nMaxFile) return FALSE;
    std::memcpy(request->lpstrFile, g_script.path, length + 1);
    return TRUE;
}

}  // namespace

extern "C" {

BOOL WINAPI GetOpenFileNameA(OPENFILENAMEA* request) { return Answer("GetOpenFileNameA", request); }

BOOL WINAPI GetSaveFileNameA(OPENFILENAMEA* request) { return Answer("GetSaveFileNameA", request); }

void QevComdlg32_ScriptAnswer(const char* path) {
    g_script.chosen = path != nullptr;
    CopyText(g_script.path, sizeof(g_script.path), path);
}

void QevComdlg32_Reset() { std::memset(&g_script, 0, sizeof(g_script)); }

int QevComdlg32_RecordCount() { return g_script.recordCount; }

int QevComdlg32_GetRecord(int index, QevDialogRecord* record) {
    if (!record || index < 0 || index >= g_script.recordCount) return 0;
    *record = g_script.records[index];
    return 1;
}

BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
}
