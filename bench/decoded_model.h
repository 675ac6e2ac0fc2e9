// A QEV file's content already decoded into flat arrays in memory: what the
// import's host-call floor feeds to the host without reading or decoding.
#ifndef QEV_BENCH_DECODED_MODEL_H
#define QEV_BENCH_DECODED_MODEL_H

#include <cstddef>
#include <cstdint>
#include <vector>

#include "model.h"

namespace bench {

struct DecodedVertex {
    float position[3];
    int32_t boneIndex;
    int32_t boneIndices[3];
    int32_t boneWeights[3];  // host percentages, already converted
    uint32_t extra[2];
};

struct DecodedTriangle {
    uint16_t vertexIndices[3];
    float normals[3][3];
    float texCoords[3][2];
};

struct DecodedMesh {
    char groupName[32];  // the "group_%i" text, formatted in advance
    char storedName[128];
    size_t firstVertex;
    size_t vertexCount;
    size_t firstTriangle;
    size_t triangleCount;
};

struct DecodedBone {
    char name[100];
    float position[3];
    float rotation[3];
};

struct DecodedModel {
    std::vector<DecodedMesh> meshes;
    std::vector<DecodedVertex> vertices;
    std::vector<DecodedTriangle> triangles;
    std::vector<DecodedBone> bones;
};

// What an import of model's exported file reads, taken straight from model.
DecodedModel DecodeModel(const msModel& model);

}  // namespace bench

#endif
