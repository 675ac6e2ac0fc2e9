// Calls into a plug-in as a host built by another compiler may: the i386
// Windows convention promises only 4-byte stack alignment, so the test calls
// the object's slots with the stack pointer 0, 4, 8 or 12 bytes below a
// 16-byte boundary and expects the same results every time.
#ifndef QEV_WINDOWS_STACK_OFFSET_CALL_H
#define QEV_WINDOWS_STACK_OFFSET_CALL_H

namespace host {

// The offsets a caller keeping 4-byte alignment can leave.
const unsigned kStackOffsets[] = {0, 4, 8, 12};

// Calls the __thiscall function `method` on `self` with one pointer argument;
// at the call instruction the stack pointer is `offset` bytes below a 16-byte
// boundary. Returns what the function returned in eax.
int CallThiscallWithStackOffset(void* method, void* self, void* argument, unsigned offset);

// A __thiscall function taking one pointer argument that returns the stack
// pointer it finds on entry (just below its return address): what the callee
// sees of the offset the caller left.
void* StackPointerOnEntryProbe();

}  // namespace host

#endif
