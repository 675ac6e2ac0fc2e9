#include "vertex_influences.h"

#include <algorithm>
#include <cmath>

namespace gltfqev {

JointWeights GltfInfluences(const msVertex& vertex, int32_t boneCount) {
    const int32_t references[4] = {vertex.boneIndex, vertex.ex.boneIndices[0], vertex.ex.boneIndices[1],
                                   vertex.ex.boneIndices[2]};
    const int64_t given = (int64_t)vertex.ex.boneWeights[0] + vertex.ex.boneWeights[1] + vertex.ex.boneWeights[2];
    const int64_t percentages[4] = {vertex.ex.boneWeights[0], vertex.ex.boneWeights[1], vertex.ex.boneWeights[2],
                                    100 - given};
    JointWeights result = {{0, 0, 0, 0}, {0, 0, 0, 0}};
    int64_t kept[4] = {0, 0, 0, 0};
    int used = 0;
    int64_t total = 0;
    for (int n = 0; n < 4; ++n) {
        if (references[n] < 0 || references[n] >= boneCount || percentages[n] <= 0) continue;
        const uint16_t joint = (uint16_t)(references[n] + 1);
        int slot = 0;
        while (slot < used && result.joints[slot] != joint) ++slot;
        if (slot == used) result.joints[used++] = joint;
        kept[slot] += percentages[n];
        total += percentages[n];
    }
    if (used == 0) {
        result.weights[0] = 1.0f;
        return result;
    }
    int largest = 0;
    for (int n = 0; n < used; ++n) {
        result.weights[n] = (float)((double)kept[n] / (double)total);
        if (kept[n] > kept[largest]) largest = n;
    }
    double others = 0;
    for (int n = 0; n < used; ++n)
        if (n != largest) others += result.weights[n];
    result.weights[largest] = (float)(1.0 - others);
    return result;
}

std::vector<int32_t> LargestRemainderPercentages(const std::vector<double>& weights) {
    double total = 0;
    for (double w : weights) total += w;
    std::vector<int32_t> points(weights.size(), 0);
    if (!(total > 0) || !std::isfinite(total)) return points;
    std::vector<double> fractions(weights.size());
    int32_t given = 0;
    for (size_t n = 0; n < weights.size(); ++n) {
        const double x = weights[n] / total * 100.0;
        points[n] = (int32_t)std::floor(x);
        fractions[n] = x - points[n];
        given += points[n];
    }
    std::vector<size_t> order(weights.size());
    for (size_t n = 0; n < order.size(); ++n) order[n] = n;
    std::stable_sort(order.begin(), order.end(), [&](size_t a, size_t b) { return fractions[a] > fractions[b]; });
    for (size_t k = 0; given < 100 && k < order.size(); ++k, ++given) ++points[order[k]];
    return points;
}

size_t SetQevInfluences(std::vector<Influence> influences, msVertex& vertex) {
    std::vector<Influence> merged;
    for (const Influence& influence : influences) {
        // As the importer does: a weight that is not finite counts as 0.
        if (!(influence.weight > 0) || !std::isfinite(influence.weight) || influence.bone < 0) continue;
        auto same = std::find_if(merged.begin(), merged.end(),
                                 [&](const Influence& m) { return m.bone == influence.bone; });
        if (same == merged.end()) merged.push_back(influence);
        else same->weight += influence.weight;
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const Influence& a, const Influence& b) { return a.weight > b.weight; });
    const size_t dropped = merged.size() > 4 ? merged.size() - 4 : 0;
    if (merged.size() > 4) merged.resize(4);

    vertex.boneIndex = -1;
    for (int slot = 0; slot < 3; ++slot) {
        vertex.ex.boneIndices[slot] = -1;
        vertex.ex.boneWeights[slot] = 0;
    }
    if (merged.empty()) return dropped;
    std::vector<double> weights;
    for (const Influence& m : merged) weights.push_back(m.weight);
    const std::vector<int32_t> points = LargestRemainderPercentages(weights);
    vertex.boneIndex = merged[0].bone;
    for (size_t n = 1; n < merged.size(); ++n) vertex.ex.boneIndices[n - 1] = merged[n].bone;
    for (size_t n = 0; n < 3 && n < points.size(); ++n) vertex.ex.boneWeights[n] = points[n];
    return dropped;
}

}  // namespace gltfqev
