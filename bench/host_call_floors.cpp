#include "host_call_floors.h"

#include <vector>

namespace bench {

namespace {

void ImportVertex(msMesh* mesh, const DecodedVertex& v) {
    const int32_t index = msMesh_AddVertex(mesh);
    msVertex* vertex = msMesh_GetVertexAt(mesh, index);
    msVertexEx* ext = msMesh_GetVertexExAt(mesh, index);
    msVertex_SetVertex(vertex, v.position);
    msVertex_SetBoneIndex(vertex, v.boneIndex);
    for (int slot = 0; slot < 3; ++slot) msVertexEx_SetBoneIndices(ext, slot, v.boneIndices[slot]);
    for (int slot = 0; slot < 3; ++slot) msVertexEx_SetBoneWeights(ext, slot, v.boneWeights[slot]);
    msVertexEx_SetExtra(ext, 0, v.extra[0]);
    msVertexEx_SetExtra(ext, 1, v.extra[1]);
}

void ImportTriangle(msMesh* mesh, const DecodedTriangle& t) {
    const int32_t index = msMesh_AddTriangle(mesh);
    msTriangle* triangle = msMesh_GetTriangleAt(mesh, index);
    msTriangleEx* ext = msMesh_GetTriangleExAt(mesh, index);
    msTriangle_SetVertexIndices(triangle, t.vertexIndices);
    for (int c = 0; c < 3; ++c) msTriangleEx_SetNormal(ext, c, t.normals[c]);
    for (int c = 0; c < 3; ++c) msTriangleEx_SetTexCoord(ext, c, t.texCoords[c]);
}

int32_t Rebound(int32_t reference, const std::vector<int32_t>& hostIndexOfFileBone) {
    if (reference < 0 || static_cast<size_t>(reference) >= hostIndexOfFileBone.size()) return reference;
    return hostIndexOfFileBone[static_cast<size_t>(reference)];
}

void MergeBones(const DecodedModel& file, msModel* model, const std::vector<int32_t>& meshTable) {
    std::vector<int32_t> hostIndexOfFileBone;
    hostIndexOfFileBone.reserve(file.bones.size());
    for (const DecodedBone& b : file.bones) {
        int32_t host = msModel_FindBoneByName(model, b.name);
        if (host == -1) {
            host = msModel_AddBone(model);
            msBone* bone = msModel_GetBoneAt(model, host);
            msBone_SetName(bone, b.name);
            msBone_SetPosition(bone, b.position);
            msBone_SetRotation(bone, b.rotation);
        }
        hostIndexOfFileBone.push_back(host);
    }
    if (hostIndexOfFileBone.empty()) return;
    for (const int32_t meshIndex : meshTable) {
        msMesh* mesh = msModel_GetMeshAt(model, meshIndex);
        const int32_t numVertices = msMesh_GetVertexCount(mesh);
        for (int32_t v = 0; v < numVertices; ++v) {
            msVertex* vertex = msMesh_GetVertexAt(mesh, v);
            msVertexEx* ext = msMesh_GetVertexExAt(mesh, v);
            const int32_t own = msVertex_GetBoneIndex(vertex);
            if (Rebound(own, hostIndexOfFileBone) != own)
                msVertex_SetBoneIndex(vertex, Rebound(own, hostIndexOfFileBone));
            for (int slot = 0; slot < 3; ++slot) {
                const int32_t reference = msVertexEx_GetBoneIndices(ext, slot);
                if (Rebound(reference, hostIndexOfFileBone) != reference)
                    msVertexEx_SetBoneIndices(ext, slot, Rebound(reference, hostIndexOfFileBone));
            }
        }
    }
}

// The fetched values are left unused: the calls live in the model library, out
// of the compiler's sight, so none of them can be dropped, and the floor does
// no work of its own on top of them.
void ExportVertex(msMesh* mesh, int32_t index) {
    msVertex* vertex = msMesh_GetVertexAt(mesh, index);
    msVertexEx* ext = msMesh_GetVertexExAt(mesh, index);
    msVertexEx_GetExtra(ext, 0);
    msVertexEx_GetExtra(ext, 1);
    float position[3];
    msVertex_GetVertex(vertex, position);
    msVertex_GetBoneIndex(vertex);
    for (int slot = 0; slot < 3; ++slot) msVertexEx_GetBoneIndices(ext, slot);
    for (int slot = 0; slot < 3; ++slot) msVertexEx_GetBoneWeights(ext, slot);
}

void ExportTriangle(msMesh* mesh, int32_t index) {
    msTriangle* triangle = msMesh_GetTriangleAt(mesh, index);
    msTriangleEx* ext = msMesh_GetTriangleExAt(mesh, index);
    uint16_t indices[3];
    msTriangle_GetVertexIndices(triangle, indices);
    for (int c = 0; c < 3; ++c) {
        float normal[3];
        float uv[2];
        msTriangleEx_GetNormal(ext, c, normal);
        msTriangleEx_GetTexCoord(ext, c, uv);
    }
}

}  // namespace

void ImportHostCalls(const DecodedModel& file, msModel* model) {
    std::vector<int32_t> meshTable;
    meshTable.reserve(file.meshes.size());
    for (const DecodedMesh& block : file.meshes) {
        const int32_t meshIndex = msModel_AddMesh(model);
        meshTable.push_back(meshIndex);
        msMesh* mesh = msModel_GetMeshAt(model, meshIndex);
        if (block.vertexCount > 0) msMesh_SetName(mesh, block.groupName);
        for (size_t v = 0; v < block.vertexCount; ++v) ImportVertex(mesh, file.vertices[block.firstVertex + v]);
        for (size_t t = 0; t < block.triangleCount; ++t) ImportTriangle(mesh, file.triangles[block.firstTriangle + t]);
        msMesh_SetName(mesh, block.storedName);
    }
    MergeBones(file, model, meshTable);
}

void ExportHostCalls(msModel* model) {
    const int32_t numMeshes = msModel_GetMeshCount(model);
    for (int32_t i = 0; i < numMeshes; ++i) {
        msMesh* mesh = msModel_GetMeshAt(model, i);
        const int32_t numVertices = msMesh_GetVertexCount(mesh);
        for (int32_t j = 0; j < numVertices; ++j) ExportVertex(mesh, j);
        const int32_t numTriangles = msMesh_GetTriangleCount(mesh);
        for (int32_t k = 0; k < numTriangles; ++k) ExportTriangle(mesh, k);
        char groupName[MS_MESH_NAME_BUFFER];
        msMesh_GetName(mesh, groupName, MS_MESH_NAME_BUFFER);
    }
    const int32_t numBones = msModel_GetBoneCount(model);
    for (int32_t b = 0; b < numBones; ++b) {
        msBone* bone = msModel_GetBoneAt(model, b);
        char boneName[MS_BONE_NAME_BUFFER];
        float position[3];
        float rotation[3];
        msBone_GetName(bone, boneName, MS_BONE_NAME_BUFFER);
        msBone_GetPosition(bone, position);
        msBone_GetRotation(bone, rotation);
    }
    msModel_Destroy(model);
}

}  // namespace bench
