// Files of 1 MiB built to cost the most per byte: counts that announce two
// billion items, then as many of the cheapest records as fit (empty geostates,
// empty mesh blocks, vertices, triangles, distinct or empty bone names). The
// import's cost test and the reports' cost test run on the same files.
#ifndef QEV_DAMAGED_HOSTILE_FILES_H
#define QEV_DAMAGED_HOSTILE_FILES_H

#include <cstddef>
#include <ostream>

#include "damaged_support.h"

namespace damaged {

const size_t kHostileFileSize = 1 << 20;

struct HostileFile {
    const char* label;
    Bytes (*make)();
};

inline void PrintTo(const HostileFile& file, std::ostream* out) { *out << file.label; }

extern const HostileFile kHostileFiles[6];

// AddressSanitizer's redzones and quarantine inflate memory, so peak-memory
// limits hold only in plain builds (the programs under test are built alike).
extern const bool kSanitizedBuild;

// The peak memory allowed for a file: 64 times its size plus 64 MiB.
inline long MemoryLimitKiB(size_t fileSize) { return long(64 * fileSize / 1024) + 64 * 1024; }

}  // namespace damaged

#endif
