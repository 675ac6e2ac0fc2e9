// The command line and the files every benchmark works on, made once before
// the first benchmark runs.
#ifndef QEV_BENCH_SETUP_H
#define QEV_BENCH_SETUP_H

#include <cstdint>
#include <string>

#include "bench_files.h"
#include "bench_model.h"
#include "decoded_model.h"
#include "summary.h"

namespace bench {

const int32_t kManyBones = 256;

struct Options {
    int32_t meshes = 8;
    int32_t verticesPerMesh = 65536;  // triangles: twice as many
    int32_t bones = 128;
    int64_t iterations = 1;  // timed calls per run
    int64_t rounds = 31;     // runs per benchmark, interleaved at random with the others' runs
};

// Reads the options qev_bench adds to Google Benchmark's own (already taken
// out of argv). False, with a usage message, on anything else.
bool ParseOptions(int argc, char** argv, Options* options);

struct Setup {
    ScratchFolder folder;
    msModel model;     // the large model, as generated
    std::string file;  // it, exported
    Bytes bytes;       // the file's content
    DecodedModel decoded;
    std::string exportTarget;  // where the export benchmarks write
    std::string ioTarget;

    std::string oneBoneFile;    // the same vertices, no triangles, 1 bone
    std::string manyBonesFile;  // and kManyBones bones
    uint64_t oneBoneBytes = 0;
    uint64_t manyBonesBytes = 0;

    RunFacts facts{};
};

// Builds the model and writes the files through the exporter. Each file is
// imported back once and must give its model back whole, or the benchmarks
// would time something else; the import host-call floor must build the same
// model as the import. False when any of that fails.
bool Prepare(const Options& options, Setup* setup);

}  // namespace bench

#endif
