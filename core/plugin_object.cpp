#include "plugin_object.h"

#include <stdlib.h>
#include <string.h>

#include <new>

#if defined(_WIN32)
#include <windows.h>
#endif

namespace {
const char kTitle[] = "PELG Object";
static_assert(sizeof(kTitle) <= 64, "title must fit szTitle");
}  // namespace

cPlugIn::cPlugIn() {
    // Only the title and its terminator are written; the rest stays unused.
    memcpy(szTitle, kTitle, sizeof(kTitle));
}

#if QEV_MSVC_DELETING_DESTRUCTOR
void* cPlugIn::DeletingDestructor(unsigned int flags) {
    this->~cPlugIn();
    if (flags & 1u) free(this);
    return this;
}
#else
cPlugIn::~cPlugIn() {}

void cPlugIn::operator delete(void* memory) { free(memory); }
#endif

const char* cPlugIn::GetTitle() { return szTitle; }

cMsPlugIn* CreatePlugIn() {
    // malloc and placement new rather than operator new: the plug-ins are
    // built without exceptions and use nothing of the C++ runtime, so none of
    // its start-up code (such as the exception pool's set-up) is linked in and
    // run when the host loads the library. A failed allocation gives null.
    void* memory = malloc(sizeof(cPlugIn));
    if (!memory) return nullptr;
    return new (memory) cPlugIn();
}

void DestroyPlugIn(cMsPlugIn* plugIn) {
    if (!plugIn) return;
#if QEV_MSVC_DELETING_DESTRUCTOR
    plugIn->DeletingDestructor(1);
#else
    delete plugIn;
#endif
}

#if defined(_WIN32)
extern "C" BOOL WINAPI DllMain(HINSTANCE, DWORD, LPVOID) { return TRUE; }
#endif
