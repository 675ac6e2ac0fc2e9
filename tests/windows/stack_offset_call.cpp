#include "stack_offset_call.h"

// Written in assembly because no C++ compiler lets a caller choose the stack
// pointer it calls with: the thunk aligns its own frame down to 16 bytes, moves
// down by the offset, leaves 12 bytes and pushes the one argument, so the call
// instruction runs at a boundary minus the offset. The callee pops the argument
// (__thiscall); the frame pointer restores the rest. eax, ecx and edx are
// caller-saved, so the thunk needs no other register.
extern "C" int __cdecl qev_call_thiscall_with_stack_offset(void* method, void* self, void* argument,
                                                           unsigned offset);
extern "C" void qev_stack_pointer_on_entry();

asm(".text\n"
    ".globl _qev_call_thiscall_with_stack_offset\n"
    "_qev_call_thiscall_with_stack_offset:\n"
    "    pushl %ebp\n"
    "    movl  %esp, %ebp\n"
    "    movl  8(%ebp), %eax\n"   // method
    "    movl  12(%ebp), %ecx\n"  // self, in ecx for __thiscall
    "    movl  16(%ebp), %edx\n"  // argument
    "    andl  $-16, %esp\n"
    "    subl  20(%ebp), %esp\n"  // offset
    "    subl  $12, %esp\n"
    "    pushl %edx\n"
    "    call  *%eax\n"
    "    movl  %ebp, %esp\n"
    "    popl  %ebp\n"
    "    ret\n"
    ".globl _qev_stack_pointer_on_entry\n"
    "_qev_stack_pointer_on_entry:\n"
    "    movl  %esp, %eax\n"
    "    ret   $4\n");

namespace host {

int CallThiscallWithStackOffset(void* method, void* self, void* argument, unsigned offset) {
    return qev_call_thiscall_with_stack_offset(method, self, argument, offset);
}

void* StackPointerOnEntryProbe() { return reinterpret_cast<void*>(&qev_stack_pointer_on_entry); }

}  // namespace host
