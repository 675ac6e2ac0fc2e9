// The generated model the benchmarks run on.
#ifndef QEV_BENCH_MODEL_H
#define QEV_BENCH_MODEL_H

#include <cstdint>

#include "model.h"

namespace bench {

struct ModelShape {
    int32_t meshes;
    int32_t verticesPerMesh;  // at most 65536: triangles address vertices by uint16
    int32_t trianglesPerMesh;
    int32_t bones;
};

// Fills an empty model with shape's meshes and bones. Vertices are skinned to
// one to four bones with weights that sum to at most 100; every value survives
// an export and import unchanged, so the import of the exported file can be
// checked against this model.
void BuildModel(const ModelShape& shape, msModel& model);

// Size of shape's model as a version-4 QEV file.
uint64_t QevFileSize(const ModelShape& shape);

}  // namespace bench

#endif
