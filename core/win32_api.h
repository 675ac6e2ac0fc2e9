// The few Windows calls the plug-ins make: the common file dialogs and the
// message box. The Windows build takes them from the platform headers; the
// native build declares them here, field for field as the plug-ins use them,
// and links a scripted stand-in.
#ifndef QEV_WIN32_API_H
#define QEV_WIN32_API_H

#if defined(_WIN32)
#include <windows.h>
#include <commdlg.h>
#if !defined(_WIN64)
static_assert(sizeof(OPENFILENAMEA) == 88, "the host's dialog request is 88 bytes in a 32-bit build");
#endif
#else
#include <stdint.h>

typedef uint32_t DWORD;
typedef uint16_t WORD;
typedef int BOOL;
typedef unsigned int UINT;
typedef void* HWND;
typedef void* HINSTANCE;
typedef intptr_t LPARAM;
typedef uintptr_t (*LPOFNHOOKPROC)(HWND, UINT, uintptr_t, LPARAM);

// The ANSI common-dialog request in its current, longer form.
struct OPENFILENAMEA {
    DWORD lStructSize;
    HWND hwndOwner;
    HINSTANCE hInstance;
    const char* lpstrFilter;
    char* lpstrCustomFilter;
    DWORD nMaxCustFilter;
    DWORD nFilterIndex;
    char* lpstrFile;
    DWORD nMaxFile;
    char* lpstrFileTitle;
    DWORD nMaxFileTitle;
    const char* lpstrInitialDir;
    const char* lpstrTitle;
    DWORD Flags;
    WORD nFileOffset;
    WORD nFileExtension;
    const char* lpstrDefExt;
    LPARAM lCustData;
    LPOFNHOOKPROC lpfnHook;
    const char* lpTemplateName;
    void* pvReserved;
    DWORD dwReserved;
    DWORD FlagsEx;
};

enum : DWORD {
    OFN_OVERWRITEPROMPT = 0x00000002,
    OFN_HIDEREADONLY = 0x00000004,
    OFN_PATHMUSTEXIST = 0x00000800,
    OFN_FILEMUSTEXIST = 0x00001000,
};

enum : UINT {
    MB_OK = 0x00000000,
    MB_ICONWARNING = 0x00000030,
};

enum { IDOK = 1 };

extern "C" {
BOOL GetOpenFileNameA(OPENFILENAMEA* request);
BOOL GetSaveFileNameA(OPENFILENAMEA* request);
int MessageBoxA(HWND owner, const char* text, const char* caption, UINT style);
}
#endif

#endif
