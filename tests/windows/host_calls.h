// The plug-in DLLs driven as the host drives them: loaded with LoadLibraryA,
// the exports looked up by name or ordinal, and the object used only through
// its virtual table by slot index, as __thiscall calls. Nothing here depends on
// the plug-ins' own class declarations.
#ifndef QEV_WINDOWS_HOST_CALLS_H
#define QEV_WINDOWS_HOST_CALLS_H

#include <windows.h>

#include <string>

#include "msLib.h"
#include "stack_offset_call.h"

namespace host {

typedef void* (__cdecl* CreatePlugInFn)();
typedef void(__cdecl* DestroyPlugInFn)(void* plugIn);

// The table as the host's compiler lays it out.
enum Slot { kDeletingDestructor = 0, kGetType = 1, kGetTitle = 2, kExecute = 3 };
typedef void*(__thiscall* DeletingDestructorFn)(void* self, unsigned int flags);
typedef int(__thiscall* GetTypeFn)(void* self);
typedef const char*(__thiscall* GetTitleFn)(void* self);
typedef int(__thiscall* ExecuteFn)(void* self, msModel* model);

template <typename Fn>
Fn SlotOf(void* object, Slot slot) {
    void* const* table = *static_cast<void* const* const*>(object);
    return reinterpret_cast<Fn>(table[slot]);
}

inline void* DeletingDestructor(void* object, unsigned int flags) {
    return SlotOf<DeletingDestructorFn>(object, kDeletingDestructor)(object, flags);
}
inline int GetType(void* object) { return SlotOf<GetTypeFn>(object, kGetType)(object); }
inline const char* GetTitle(void* object) { return SlotOf<GetTitleFn>(object, kGetTitle)(object); }
inline int Execute(void* object, msModel* model) { return SlotOf<ExecuteFn>(object, kExecute)(object, model); }
inline int ExecuteWithStackOffset(void* object, msModel* model, unsigned offset) {
    return CallThiscallWithStackOffset(SlotOf<void*>(object, kExecute), object, model, offset);
}

// The folder of the running program, where the plug-ins and stand-ins lie.
std::string ProgramFolder();

struct PlugInLibrary {
    explicit PlugInLibrary(const char* name);
    ~PlugInLibrary();
    PlugInLibrary(const PlugInLibrary&) = delete;
    PlugInLibrary& operator=(const PlugInLibrary&) = delete;

    HMODULE module = nullptr;
    CreatePlugInFn create = nullptr;
    DestroyPlugInFn destroy = nullptr;
};

}  // namespace host

#endif
