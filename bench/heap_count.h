// The importer's own heap use, told apart from the model's.
//
// The plug-in code is plain C over the host's API: what it allocates (its mesh
// table, its bone table, the C library's stream) goes through malloc. The
// stand-in model is C++: its containers allocate through operator new. This
// program replaces both: operator new goes straight to the C library's
// allocator, uncounted, and malloc, calloc, realloc and free are counted while
// a window is open. The peak of the bytes live inside the window is the
// plug-in's own heap, whatever the model grows to meanwhile.
#ifndef QEV_BENCH_HEAP_COUNT_H
#define QEV_BENCH_HEAP_COUNT_H

#include <cstddef>

namespace bench {

// Opens the window. Single-threaded: the benchmarks run on one thread.
void HeapCountBegin();

// Closes the window; returns the peak of the counted bytes live in it beyond
// those live when it opened (usable sizes, as the allocator hands them out).
size_t HeapCountEnd();

}  // namespace bench

#endif
