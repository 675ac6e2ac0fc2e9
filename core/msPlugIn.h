// The host's plug-in interface. The host calls the object only through its
// virtual table, so the slot order and signatures below are the binary
// contract: slot 0 the destructor, then GetType, GetTitle, Execute.
#ifndef QEV_MSPLUGIN_H
#define QEV_MSPLUGIN_H

#include "msLib.h"

// The host is a 32-bit program built with Microsoft's compiler, which gives a
// virtual destructor one slot (a scalar deleting destructor taking a flags
// word; bit 0 frees the object). g++ and clang in their GNU mode give it two,
// so on Windows under those compilers slot 0 is declared as that deleting
// destructor explicitly. The layout follows the compiler, not the word size:
// a 64-bit Windows build cannot be loaded by the host at all, and would
// otherwise compile quietly with a table the host does not expect. Member
// functions use __thiscall, g++'s default for i386 Windows, matching the host.
#if defined(_WIN64)
#error "the host loads 32-bit DLLs only: build the plug-ins with the i686 toolchain (cmake/mingw-w64-i686.cmake)"
#elif defined(_WIN32) && defined(__GNUC__)
#define QEV_MSVC_DELETING_DESTRUCTOR 1
#else
#define QEV_MSVC_DELETING_DESTRUCTOR 0
#endif

#if QEV_MSVC_DELETING_DESTRUCTOR
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

class cMsPlugIn {
public:
#if QEV_MSVC_DELETING_DESTRUCTOR
    // Slot 0: destroys the object and, when bit 0 of flags is set, frees it.
    virtual void* DeletingDestructor(unsigned int flags) = 0;
#else
    virtual ~cMsPlugIn() {}
#endif
    virtual int GetType() = 0;
    virtual const char* GetTitle() = 0;
    virtual int Execute(msModel* pModel) = 0;
};

#if QEV_MSVC_DELETING_DESTRUCTOR
#pragma GCC diagnostic pop
#endif

#endif
