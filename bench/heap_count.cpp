#include "heap_count.h"

#include <malloc.h>

#include <cstdlib>
#include <new>

// The C library's own allocator under its internal names (glibc), so that the
// replacements below can hand every request on without calling themselves.
extern "C" {
void* __libc_malloc(size_t size);
void* __libc_calloc(size_t count, size_t size);
void* __libc_realloc(void* block, size_t size);
void* __libc_memalign(size_t alignment, size_t size);
void __libc_free(void* block);
}

namespace {

bool counting = false;
long long live = 0;  // may dip below zero when a block from before the window is freed
long long peak = 0;

void Counted(void* block, long long sign) {
    if (!counting || !block) return;
    live += sign * static_cast<long long>(malloc_usable_size(block));
    if (live > peak) peak = live;
}

void* NewBlock(size_t size) {
    void* block = __libc_malloc(size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

void* NewAlignedBlock(size_t size, std::align_val_t alignment) {
    void* block = __libc_memalign(static_cast<size_t>(alignment), size ? size : 1);
    if (!block) throw std::bad_alloc();
    return block;
}

}  // namespace

namespace bench {

void HeapCountBegin() {
    live = 0;
    peak = 0;
    counting = true;
}

size_t HeapCountEnd() {
    counting = false;
    return static_cast<size_t>(peak);
}

}  // namespace bench

extern "C" {

void* malloc(size_t size) {
    void* block = __libc_malloc(size);
    Counted(block, +1);
    return block;
}

void* calloc(size_t count, size_t size) {
    void* block = __libc_calloc(count, size);
    Counted(block, +1);
    return block;
}

void* realloc(void* block, size_t size) {
    Counted(block, -1);
    void* moved = __libc_realloc(block, size);
    Counted(moved ? moved : (size ? block : nullptr), +1);
    return moved;
}

void free(void* block) {
    Counted(block, -1);
    __libc_free(block);
}

}  // extern "C"

// The model's side: never counted.
void* operator new(size_t size) { return NewBlock(size); }
void* operator new[](size_t size) { return NewBlock(size); }
void* operator new(size_t size, const std::nothrow_t&) noexcept { return __libc_malloc(size ? size : 1); }
void* operator new[](size_t size, const std::nothrow_t&) noexcept { return __libc_malloc(size ? size : 1); }
void* operator new(size_t size, std::align_val_t alignment) { return NewAlignedBlock(size, alignment); }
void* operator new[](size_t size, std::align_val_t alignment) { return NewAlignedBlock(size, alignment); }
void operator delete(void* block) noexcept { __libc_free(block); }
void operator delete[](void* block) noexcept { __libc_free(block); }
void operator delete(void* block, size_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t) noexcept { __libc_free(block); }
void operator delete(void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, std::align_val_t) noexcept { __libc_free(block); }
void operator delete(void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
void operator delete[](void* block, size_t, std::align_val_t) noexcept { __libc_free(block); }
