// The host's plug-in interface. The host calls the object only through its
// virtual table, so the slot order and signatures below are the binary
// contract: slot 0 the destructor, then GetType, GetTitle, Execute.
#ifndef QEV_MSPLUGIN_H
#define QEV_MSPLUGIN_H

#include "msLib.h"

// The host is built with Microsoft's compiler, which gives a virtual destructor
// one slot (a scalar deleting destructor taking a flags word; bit 0 frees the
// object). g++ gives it two, so in the 32-bit Windows build slot 0 is declared
// as that deleting destructor explicitly. Member functions there use __thiscall,
// g++'s default for i386 Windows, matching the host.
#if defined(_WIN32) && defined(__GNUC__) && !defined(_WIN64)
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
