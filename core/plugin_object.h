// The one plug-in class of each library. The frame (construction, title,
// destruction, exports) is shared; GetType and Execute are defined by the
// importer and the exporter, each in its own library.
#ifndef QEV_PLUGIN_OBJECT_H
#define QEV_PLUGIN_OBJECT_H

#include "msPlugIn.h"

#if QEV_MSVC_DELETING_DESTRUCTOR
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wnon-virtual-dtor"
#endif

class cPlugIn : public cMsPlugIn {
public:
    cPlugIn();
#if QEV_MSVC_DELETING_DESTRUCTOR
    void* DeletingDestructor(unsigned int flags) override;
#else
    ~cPlugIn() override;
    // The deleting destructor frees with free(), as the object came from malloc.
    static void operator delete(void* memory);
#endif
    int GetType() override;
    const char* GetTitle() override;
    int Execute(msModel* pModel) override;

private:
    cPlugIn(const cPlugIn&) = delete;
    cPlugIn& operator=(const cPlugIn&) = delete;

    char szTitle[64];
};

#if QEV_MSVC_DELETING_DESTRUCTOR
#pragma GCC diagnostic pop
#endif

#if defined(_WIN32)
#define QEV_EXPORT
#else
#define QEV_EXPORT __attribute__((visibility("default")))
#endif

extern "C" {
QEV_EXPORT cMsPlugIn* CreatePlugIn();
QEV_EXPORT void DestroyPlugIn(cMsPlugIn* plugIn);
}

#endif
