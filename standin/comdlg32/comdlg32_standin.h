// The scripted comdlg32.dll of the Windows tests. Wine loads it in place of its
// own dialogs (WINEDLLOVERRIDES=comdlg32=n) from the test program's folder; the
// plug-ins call its GetOpenFileNameA/GetSaveFileNameA as they would the
// system's. The test program finds the scripting functions below with
// GetProcAddress on the loaded module, so it talks to the very instance the
// plug-ins import from.
#ifndef QEV_COMDLG32_STANDIN_H
#define QEV_COMDLG32_STANDIN_H

#include <windows.h>
#include <commdlg.h>

// One dialog request, copied while the caller's buffers were alive.
struct QevDialogRecord {
    char function[24];  // "GetOpenFileNameA" or "GetSaveFileNameA"
    OPENFILENAMEA request;  // as received; the pointers are the caller's
    char title[128];
    char defaultExtension[32];
    char initialFile[260];  // what lpstrFile held on entry
    unsigned char filterBytes[256];  // up to and including the closing double NUL
    unsigned int filterLength;
};

// Exported names, cdecl, undecorated.
#define QEV_COMDLG32_SCRIPT_ANSWER "QevComdlg32_ScriptAnswer"
#define QEV_COMDLG32_RESET "QevComdlg32_Reset"
#define QEV_COMDLG32_RECORD_COUNT "QevComdlg32_RecordCount"
#define QEV_COMDLG32_GET_RECORD "QevComdlg32_GetRecord"

extern "C" {
// What the next dialogs answer: path, or a null path for cancel.
typedef void (*QevComdlg32ScriptAnswerFn)(const char* path);
// Forgets the records; the answer becomes cancel.
typedef void (*QevComdlg32ResetFn)();
typedef int (*QevComdlg32RecordCountFn)();
// Copies record index into *record; 0 when there is no such record.
typedef int (*QevComdlg32GetRecordFn)(int index, QevDialogRecord* record);
}

#endif
