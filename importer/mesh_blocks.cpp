#include "mesh_blocks.h"

#include <stdio.h>

#include "qev_format.h"
#include "weight_percentages.h"

namespace {

void ReadFloats(const unsigned char* bytes, float* values, int count) {
    for (int n = 0; n < count; ++n) values[n] = qev::GetF32(bytes + 4 * n);
}

// Stops reading for good after the host refused a call: nothing more is read
// or added, as if the input had ended there, and the import reports the refusal.
bool Refused(QevReader* reader, bool* hostRefused) {
    QevReader_Stop(reader);
    *hostRefused = true;
    return false;
}

// False when the host refuses the vertex (no index or no handle for it).
bool AddVertex(msMesh* mesh, const unsigned char* record, int32_t version) {
    const bool hasTag = qev::HasTagVal(version);
    float position[3];
    ReadFloats(record + qev::kVertexPositionOffset, position, 3);
    const uint32_t vertexId = qev::GetU32(record + qev::kVertexIdOffset);
    const uint32_t tagVal = hasTag ? qev::GetU32(record + qev::kVertexTagOffset) : 0;
    const unsigned char* assignments = record + qev::VertexBoneAssignmentsOffset(hasTag);
    float weights[3];  // the fourth file weight is the remainder the host derives itself
    ReadFloats(record + qev::VertexBoneWeightsOffset(hasTag), weights, 3);
    int32_t percentages[3];
    WeightsToPercentages(weights, percentages);

    const int32_t index = msMesh_AddVertex(mesh);
    if (index < 0) return false;
    msVertex* vertex = msMesh_GetVertexAt(mesh, index);
    if (!vertex) return false;
    msVertexEx* ext = msMesh_GetVertexExAt(mesh, index);
    if (!ext) return false;
    msVertex_SetVertex(vertex, position);
    msVertex_SetBoneIndex(vertex, qev::GetI32(assignments));
    for (int slot = 0; slot < 3; ++slot)
        msVertexEx_SetBoneIndices(ext, slot, qev::GetI32(assignments + 4 * (slot + 1)));
    for (int slot = 0; slot < 3; ++slot) msVertexEx_SetBoneWeights(ext, slot, percentages[slot]);
    msVertexEx_SetExtra(ext, 0, vertexId);
    msVertexEx_SetExtra(ext, 1, tagVal);
    return true;
}

// Vertex indices go to the host as stored: the format leaves them unchecked.
// False when the host refuses the triangle.
bool AddTriangle(msMesh* mesh, const unsigned char* record) {
    uint16_t indices[3];
    float normals[3][3];
    float texCoords[3][2];
    for (int c = 0; c < 3; ++c) {
        const unsigned char* corner = record + c * qev::kCornerRecordSize;
        indices[c] = qev::GetU16(corner + qev::kCornerVertexIndexOffset);
        ReadFloats(corner + qev::kCornerNormalOffset, normals[c], 3);
        ReadFloats(corner + qev::kCornerTexCoordOffset, texCoords[c], 2);
    }
    const int32_t index = msMesh_AddTriangle(mesh);
    if (index < 0) return false;
    msTriangle* triangle = msMesh_GetTriangleAt(mesh, index);
    if (!triangle) return false;
    msTriangleEx* ext = msMesh_GetTriangleExAt(mesh, index);
    if (!ext) return false;
    msTriangle_SetVertexIndices(triangle, indices);
    for (int c = 0; c < 3; ++c) msTriangleEx_SetNormal(ext, c, normals[c]);
    for (int c = 0; c < 3; ++c) msTriangleEx_SetTexCoord(ext, c, texCoords[c]);
    return true;
}

// A count field at the current place, handed to the observer once read whole.
bool ReadCount(QevReader* reader, QevPlaceKind kind, int32_t* count) {
    QevReader_At(reader, kind, -1, 0);
    if (!QevReader_ReadI32(reader, count)) return false;
    QevReader_Notify(reader, nullptr, 0, *count);
    return true;
}

bool ReadTriangles(QevReader* reader, msMesh* mesh, int32_t numTriangles, bool* hostRefused) {
    unsigned char record[qev::kTriangleRecordSize];
    for (int32_t k = 0; k < numTriangles; ++k) {
        QevReader_At(reader, QEV_PLACE_TRIANGLE, k, numTriangles);
        if (!QevReader_Read(reader, record, sizeof(record))) return false;
        if (!AddTriangle(mesh, record)) return Refused(reader, hostRefused);
        QevReader_Notify(reader, record, sizeof(record), 0);
    }
    return true;
}

bool ReadGeostates(QevReader* reader, msModel* model, bool* hostRefused) {
    int32_t numGeostates = 0;
    if (!ReadCount(reader, QEV_PLACE_GEOSTATE_COUNT, &numGeostates)) return false;
    for (int32_t g = 0; g < numGeostates; ++g) {
        reader->place.geostate = g;
        int32_t geostateFaceIndex = 0;
        if (!ReadCount(reader, QEV_PLACE_TRIANGLE_COUNT, &geostateFaceIndex)) return false;
        const int32_t geostateIndex = msModel_AddMesh(model);
        if (geostateIndex < 0) return Refused(reader, hostRefused);
        msMesh* geostateMesh = msModel_GetMeshAt(model, geostateIndex);
        if (!geostateMesh) return Refused(reader, hostRefused);
        if (!ReadTriangles(reader, geostateMesh, geostateFaceIndex, hostRefused)) return false;
    }
    reader->place.geostate = -1;
    return true;
}

bool ReadMeshBlock(QevReader* reader, msModel* model, int32_t version, int32_t blockNumber,
                   IndexList* meshTable, bool* hostRefused) {
    reader->place.block = blockNumber;
    reader->place.geostate = -1;
    int32_t numVertices = 0;
    QevReader_At(reader, QEV_PLACE_VERTEX_COUNT, -1, 0);
    if (!QevReader_ReadI32(reader, &numVertices)) return false;
    if (!IndexList_Reserve(meshTable)) {
        QevReader_Stop(reader);
        return false;
    }
    const int32_t meshIndex = msModel_AddMesh(model);
    if (meshIndex < 0) return Refused(reader, hostRefused);
    msMesh* mesh = msModel_GetMeshAt(model, meshIndex);
    if (!mesh) return Refused(reader, hostRefused);
    IndexList_Push(meshTable, meshIndex);

    if (numVertices > 0) {
        // The block's number in the file, not the host's mesh index.
        char groupName[32];
        snprintf(groupName, sizeof(groupName), "group_%i", (int)blockNumber);
        msMesh_SetName(mesh, groupName);
    }
    QevReader_Notify(reader, nullptr, 0, numVertices);  // the block's mesh is the model's last
    unsigned char record[qev::kVertexRecordSize];
    const size_t recordSize = qev::VertexRecordSize(version);
    for (int32_t j = 0; j < numVertices; ++j) {
        QevReader_At(reader, QEV_PLACE_VERTEX, j, numVertices);
        if (!QevReader_Read(reader, record, recordSize)) return false;
        if (!AddVertex(mesh, record, version)) return Refused(reader, hostRefused);
        QevReader_Notify(reader, record, recordSize, 0);
    }

    int32_t numTriangles = 0;
    if (!ReadCount(reader, QEV_PLACE_TRIANGLE_COUNT, &numTriangles)) return false;
    if (!ReadTriangles(reader, mesh, numTriangles, hostRefused)) return false;

    if (qev::HasGeostates(version) && !ReadGeostates(reader, model, hostRefused)) return false;

    if (qev::HasMeshName(version)) {
        char groupName[qev::kMaxReadMeshName + 1];
        QevReader_At(reader, QEV_PLACE_MESH_NAME, -1, 0);
        if (!QevReader_ReadName(reader, groupName, sizeof(groupName))) return false;
        msMesh_SetName(mesh, groupName);
        QevReader_Notify(reader, reader->name, reader->nameLength, 0);
    }
    return true;
}

}  // namespace

bool ReadMeshBlocks(QevReader* reader, msModel* model, int32_t version, int32_t numMeshes,
                    IndexList* meshTable) {
    bool hostRefused = false;
    for (int32_t i = 0; i < numMeshes; ++i) {
        if (!ReadMeshBlock(reader, model, version, i, meshTable, &hostRefused)) break;
    }
    return !hostRefused;
}
