#include "index_list.h"

#include <stdlib.h>

void IndexList_Init(IndexList* list) {
    list->items = NULL;
    list->count = 0;
    list->capacity = 0;
}

void IndexList_Release(IndexList* list) {
    free(list->items);
    IndexList_Init(list);
}

bool IndexList_Reserve(IndexList* list) {
    if (list->count < list->capacity) return true;
    const size_t capacity = list->capacity == 0 ? 16 : list->capacity * 2;
    if (capacity > (size_t)-1 / sizeof(int32_t)) return false;
    int32_t* items = (int32_t*)realloc(list->items, capacity * sizeof(int32_t));
    if (!items) return false;
    list->items = items;
    list->capacity = capacity;
    return true;
}

void IndexList_Push(IndexList* list, int32_t index) { list->items[list->count++] = index; }
