// A growable list of host indices (the mesh table, the bone re-binding table).
//
// It grows with the records actually read, never from a count in the file, so
// a tiny file that announces two billion meshes or bones costs nothing. Growth
// uses malloc/realloc: a failure is reported as false, never thrown.
#ifndef QEV_INDEX_LIST_H
#define QEV_INDEX_LIST_H

#include <stddef.h>
#include <stdint.h>

struct IndexList {
    int32_t* items;
    size_t count;
    size_t capacity;

    // Owns its buffer: a copy would read or free it twice.
    IndexList() = default;
    IndexList(const IndexList&) = delete;
    IndexList& operator=(const IndexList&) = delete;
};

void IndexList_Init(IndexList* list);
void IndexList_Release(IndexList* list);

// Makes room for one more entry. False when memory runs out; the list is unchanged.
bool IndexList_Reserve(IndexList* list);

// Appends after a successful IndexList_Reserve.
void IndexList_Push(IndexList* list, int32_t index);

#endif
