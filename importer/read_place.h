// Where the reader is in a QEV file, and an optional observer of what it reads.
//
// The importer keeps the place current with plain stores (the record's kind
// and numbers, where it starts), so that when a read comes up short the
// reader can say exactly what it was reading. A tool that checks files
// passes an observer and sees every field and record as it is read whole;
// the plug-in passes none and pays one untaken branch per record.
#ifndef QEV_READ_PLACE_H
#define QEV_READ_PLACE_H

#include <stddef.h>
#include <stdint.h>

enum QevPlaceKind {
    QEV_PLACE_VERSION,
    QEV_PLACE_MESH_COUNT,
    QEV_PLACE_VERTEX_COUNT,          // opens a mesh block
    QEV_PLACE_VERTEX,
    QEV_PLACE_TRIANGLE_COUNT,        // of the block (geostate -1) or of a geostate
    QEV_PLACE_TRIANGLE,
    QEV_PLACE_GEOSTATE_COUNT,
    QEV_PLACE_MESH_NAME,             // strLen and the name bytes
    QEV_PLACE_BONE_COUNT,
    QEV_PLACE_BONE,                  // strLen, name bytes, [v>=2] pose
};

struct QevPlace {
    QevPlaceKind kind;
    int32_t block;     // mesh block number in the file, -1 outside the mesh blocks
    int32_t geostate;  // geostate number in its block, -1 outside a geostate
    int32_t item;      // vertex, triangle or bone number, -1 for a count or name
    int32_t count;     // how many of those items the file announced
    uint64_t start;    // byte offset where the field or record starts
};

// Called once per field or record read whole, after the importer has used it.
// bytes: the record, or a stored name's bytes (without strLen); null for counts.
// value: a count's value, the host bone index a bone was bound to, else 0.
struct QevReadObserver {
    void* context;
    void (*onRead)(void* context, const QevPlace* place, const unsigned char* bytes, size_t size, int32_t value);
};

// How a read ended. endOffset is the first byte not consumed. readWhole:
// every announced record was read, and any bytes from endOffset on are
// trailing data; else the reader stopped at stopPlace, at byte endOffset (the
// end of the file, or, with stoppedEarly, where memory ran out or the host
// refused an item), inside the read that started at failedReadStart.
struct QevReadOutcome {
    bool readWhole;
    bool stoppedEarly;
    QevPlace stopPlace;
    uint64_t endOffset;
    uint64_t failedReadStart;
};

#endif
