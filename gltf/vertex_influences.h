// Bone influences of a vertex, between the QEV form (own bone index, three
// slots, three integer percentages with the fourth implied) and glTF's four
// joints with float weights.
#ifndef QEV_GLTF_VERTEX_INFLUENCES_H
#define QEV_GLTF_VERTEX_INFLUENCES_H

#include <cstdint>
#include <vector>

#include "model.h"

namespace gltfqev {

struct JointWeights {
    uint16_t joints[4];
    float weights[4];
};

// Joint j + 1 is bone j and joint 0 the skeleton's root. Repeated references
// are merged, references naming no bone and weights of 0 or less are dropped,
// and the weights are scaled to sum to 1 (up to float rounding, which the
// largest absorbs). A vertex left with nothing has weight 1 on the root.
JointWeights GltfInfluences(const msVertex& vertex, int32_t boneCount);

struct Influence {
    int32_t bone;
    double weight;
};

// Sets the vertex's bone fields from influences of any number (weights of 0
// or less and weights that are not finite are dropped): the same bone merged, the four largest kept, their weights turned into percentages that
// sum to 100. Returns the number of influences that did not fit (0 if none).
size_t SetQevInfluences(std::vector<Influence> influences, msVertex& vertex);

// Integer percentages of weights summing to 100: each takes floor(x), the points
// missing go one each to the largest fractions, the lower slot first on a tie.
std::vector<int32_t> LargestRemainderPercentages(const std::vector<double>& weights);

}  // namespace gltfqev

#endif
