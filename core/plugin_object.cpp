#include "plugin_object.h"

#include <cstring>
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
    std::memcpy(szTitle, kTitle, sizeof(kTitle));
}

#if QEV_MSVC_DELETING_DESTRUCTOR
void* cPlugIn::DeletingDestructor(unsigned int flags) {
    this->~cPlugIn();
    if (flags & 1u) ::operator delete(this);
    return this;
}
#else
cPlugIn::~cPlugIn() {}
#endif

const char* cPlugIn::GetTitle() { return szTitle; }

cMsPlugIn* CreatePlugIn() {
    // nothrow: an allocation failure must not throw across the library boundary.
    return new (std::nothrow) cPlugIn();
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
