// The closing table of a run: medians, rates, ratios and the targets, in
// Markdown, ready for the README.
#ifndef QEV_BENCH_SUMMARY_H
#define QEV_BENCH_SUMMARY_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace bench {

// Benchmark names, shared by the registrations and the summary.
extern const char* const kExportIoFloor;
extern const char* const kExportDurableIoFloor;  // the raw I/O floor with the fsync the export makes
extern const char* const kExportHostFloor;
extern const char* const kExportCommand;
extern const char* const kImportIoFloor;
extern const char* const kImportHostFloor;
extern const char* const kImportCommand;
extern const char* const kImportOneBone;
extern const char* const kImportManyBones;

// A benchmark's wall-time samples go under its name with this suffix; its
// plain name holds the thread's CPU time.
extern const char* const kWallSuffix;

// The targets the numbers are held to.
const double kMaxCommandOverFloors = 1.5;
const double kMaxManyOverOneBone = 1.1;

// Median command time over the sum of its two floors' medians; 0 without
// samples. CPU time, or wall time when wall is set.
double CommandOverFloors(const char* command, const char* ioFloor, const char* hostFloor, bool wall = false);

struct RunFacts {
    std::string shape;      // e.g. "8 meshes x 65536 vertices x 131072 triangles, 128 bones"
    uint64_t fileBytes;     // the large file
    int64_t vertices;       // in the large file
    std::string boneShape;  // the 1-bone / many-bone pair
    int64_t boneVertices;
    int32_t manyBones;
    size_t heapTinyFile;  // importer's own heap peak, bytes
    size_t heapLargeFile;
    size_t heapOneBone;
    size_t heapManyBones;
};

void PrintSummary(const RunFacts& facts);

}  // namespace bench

#endif
