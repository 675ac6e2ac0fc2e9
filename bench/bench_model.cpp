#include "bench_model.h"

#include <cstdio>
#include <string>

#include "qev_format.h"

namespace bench {

namespace {

const int32_t kGridSide = 256;

std::string MeshName(int32_t mesh) {
    char name[32];
    std::snprintf(name, sizeof(name), "body_part_%02d", (int)mesh);
    return name;
}

std::string BoneName(int32_t bone) {
    char name[32];
    std::snprintf(name, sizeof(name), "joint_%03d", (int)bone);
    return name;
}

// One to four bones per vertex, each weight a whole percentage and never more
// than 100 together, so the derived fourth weight stays in 0..100.
void SkinVertex(msVertex& vertex, int32_t mesh, int32_t index, int32_t bones) {
    const int32_t used = 1 + index % 4;
    const int32_t first = (index / 4 + mesh * 31) % bones;
    int32_t references[4];
    for (int32_t k = 0; k < 4; ++k) references[k] = k < used ? (first + k) % bones : -1;
    vertex.boneIndex = references[0];
    for (int32_t slot = 0; slot < 3; ++slot) vertex.ex.boneIndices[slot] = references[slot + 1];

    const int32_t a = 30 + index % 21;
    const int32_t b = 15 + index % 11;
    const int32_t c = 5 + index % 7;
    const int32_t split = 50 + index % 50;
    const int32_t weightsByUse[4][3] = {{100, 0, 0}, {split, 100 - split, 0}, {a, b, 100 - a - b}, {a, b, c}};
    for (int32_t slot = 0; slot < 3; ++slot) vertex.ex.boneWeights[slot] = weightsByUse[used - 1][slot];
}

void FillMesh(msMesh& mesh, int32_t meshNumber, const ModelShape& shape) {
    mesh.vertices.resize(static_cast<size_t>(shape.verticesPerMesh));
    for (int32_t v = 0; v < shape.verticesPerMesh; ++v) {
        msVertex& vertex = mesh.vertices[static_cast<size_t>(v)];
        vertex.position[0] = static_cast<float>(v % kGridSide) * 0.01f;
        vertex.position[1] = static_cast<float>(v / kGridSide) * 0.01f;
        vertex.position[2] = static_cast<float>(meshNumber) * 0.5f + static_cast<float>((v * 7919) % 1000) * 1e-4f;
        SkinVertex(vertex, meshNumber, v, shape.bones);
        vertex.ex.extra[0] = static_cast<uint32_t>(v);
        vertex.ex.extra[1] = static_cast<uint32_t>(meshNumber) << 16 | 0x8000u;
    }

    const int32_t vertexCount = shape.verticesPerMesh > 0 ? shape.verticesPerMesh : 1;
    mesh.triangles.resize(static_cast<size_t>(shape.trianglesPerMesh));
    for (int32_t t = 0; t < shape.trianglesPerMesh; ++t) {
        msTriangle& triangle = mesh.triangles[static_cast<size_t>(t)];
        const int32_t corner = (t / 2) % vertexCount;
        const int32_t across = t % 2 ? 1 : kGridSide;
        triangle.vertexIndices[0] = static_cast<uint16_t>(corner);
        triangle.vertexIndices[1] = static_cast<uint16_t>((corner + across) % vertexCount);
        triangle.vertexIndices[2] = static_cast<uint16_t>((corner + kGridSide + 1) % vertexCount);
        for (int c = 0; c < 3; ++c) {
            const float tilt = static_cast<float>((t + c) % 17) / 17.0f;
            triangle.ex.normals[c][0] = tilt;
            triangle.ex.normals[c][1] = 1.0f - tilt;
            triangle.ex.normals[c][2] = 0.25f;
            triangle.ex.texCoords[c][0] = static_cast<float>(triangle.vertexIndices[c] % kGridSide) / kGridSide;
            triangle.ex.texCoords[c][1] = static_cast<float>(triangle.vertexIndices[c] / kGridSide) / kGridSide;
        }
    }
}

}  // namespace

void BuildModel(const ModelShape& shape, msModel& model) {
    for (int32_t m = 0; m < shape.meshes; ++m) FillMesh(qevmodel::AddMesh(model, MeshName(m)), m, shape);
    for (int32_t b = 0; b < shape.bones; ++b) {
        msBone& bone = qevmodel::AddBone(model, BoneName(b));
        bone.position[0] = static_cast<float>(b) * 0.1f;
        bone.position[1] = 1.0f;
        bone.rotation[2] = static_cast<float>(b) * 0.01f;
    }
}

uint64_t QevFileSize(const ModelShape& shape) {
    uint64_t size = 4 + 4 + 4;  // version, numMeshes, numBones
    for (int32_t m = 0; m < shape.meshes; ++m) {
        size += 4 + static_cast<uint64_t>(shape.verticesPerMesh) * qev::kVertexRecordSize;
        size += 4 + static_cast<uint64_t>(shape.trianglesPerMesh) * qev::kTriangleRecordSize;
        size += 4 + 1 + MeshName(m).size();
    }
    for (int32_t b = 0; b < shape.bones; ++b) size += 1 + BoneName(b).size() + qev::kBonePoseSize;
    return size;
}

}  // namespace bench
