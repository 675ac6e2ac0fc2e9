#include "decoded_model.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace bench {

namespace {

template <size_t N>
void CopyName(char (&to)[N], const std::string& from) {
    const size_t n = from.size() < N - 1 ? from.size() : N - 1;
    std::memcpy(to, from.data(), n);
    to[n] = '\0';
}

}  // namespace

DecodedModel DecodeModel(const msModel& model) {
    DecodedModel decoded;
    for (const msMesh& mesh : model.meshes) {
        DecodedMesh block = {};
        std::snprintf(block.groupName, sizeof(block.groupName), "group_%i", (int)decoded.meshes.size());
        CopyName(block.storedName, mesh.name);
        block.firstVertex = decoded.vertices.size();
        block.vertexCount = mesh.vertices.size();
        block.firstTriangle = decoded.triangles.size();
        block.triangleCount = mesh.triangles.size();
        decoded.meshes.push_back(block);

        for (const msVertex& v : mesh.vertices) {
            DecodedVertex vertex;
            std::memcpy(vertex.position, v.position, sizeof(vertex.position));
            vertex.boneIndex = v.boneIndex;
            std::memcpy(vertex.boneIndices, v.ex.boneIndices, sizeof(vertex.boneIndices));
            std::memcpy(vertex.boneWeights, v.ex.boneWeights, sizeof(vertex.boneWeights));
            std::memcpy(vertex.extra, v.ex.extra, sizeof(vertex.extra));
            decoded.vertices.push_back(vertex);
        }
        for (const msTriangle& t : mesh.triangles) {
            DecodedTriangle triangle;
            std::memcpy(triangle.vertexIndices, t.vertexIndices, sizeof(triangle.vertexIndices));
            std::memcpy(triangle.normals, t.ex.normals, sizeof(triangle.normals));
            std::memcpy(triangle.texCoords, t.ex.texCoords, sizeof(triangle.texCoords));
            decoded.triangles.push_back(triangle);
        }
    }
    for (const msBone& b : model.bones) {
        DecodedBone bone;
        CopyName(bone.name, b.name);
        std::memcpy(bone.position, b.position, sizeof(bone.position));
        std::memcpy(bone.rotation, b.rotation, sizeof(bone.rotation));
        decoded.bones.push_back(bone);
    }
    return decoded;
}

}  // namespace bench
