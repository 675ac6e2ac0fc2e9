#include "model_writer.h"

#include <string.h>

#include "qev_format.h"

namespace {

using namespace qev;

// The host keeps weights as integer percentages, the file as fractions of 1.
// Dividing in double and rounding once gives the float nearest the exact
// quotient.
constexpr float DividedBy100(int32_t percent) { return (float)((double)percent / 100.0); }

// The quotients of the percentages a host normally holds, 0 to 100, worked
// out by the compiler: four divisions per vertex were a visible share of a
// large export's own time.
struct FractionTable {
    float of[101];
};
constexpr FractionTable MakeFractionTable() {
    FractionTable table{};
    for (int32_t percent = 0; percent <= 100; ++percent) table.of[percent] = DividedBy100(percent);
    return table;
}
constexpr FractionTable kFractions = MakeFractionTable();

float WeightFraction(int32_t percent) {
    return (uint32_t)percent <= 100u ? kFractions.of[percent] : DividedBy100(percent);
}

// The remainder the host implies for the fourth weight. Kept unclamped, so a
// vertex whose three weights exceed 100 gets a negative fourth; computed with
// unsigned wrap-around because the host's values are not range-checked.
int32_t RemainingPercent(int32_t a, int32_t b, int32_t c) {
    return (int32_t)(100u - (uint32_t)a - (uint32_t)b - (uint32_t)c);
}

// Length of a name the host put into a buffer, never reading past bound
// bytes, even when the host left out the terminator.
size_t BoundedLength(const char* name, size_t bound) {
    const void* end = memchr(name, '\0', bound);
    return end ? (size_t)((const char*)end - name) : bound;
}

// A host that answers with a null handle or a negative count cannot be
// written from, and the handle must not go back to it: the file is marked
// failed like a failed write, so it is not committed and is removed.
bool Refused(PendingFile* file) {
    file->failed = true;
    return false;
}

void WriteCount(PendingFile* file, int32_t count) {
    unsigned char record[4];
    PutI32(record, count);
    WritePending(file, record, sizeof(record));
}

bool WriteVertex(msMesh* mesh, int32_t index, PendingFile* file) {
    msVertex* vertex = msMesh_GetVertexAt(mesh, index);
    if (!vertex) return Refused(file);
    msVertexEx* vertexEx = msMesh_GetVertexExAt(mesh, index);
    if (!vertexEx) return Refused(file);
    const uint32_t vertexId = msVertexEx_GetExtra(vertexEx, 0);
    const uint32_t tagVal = msVertexEx_GetExtra(vertexEx, 1);
    float position[3];
    msVertex_GetVertex(vertex, position);
    int32_t boneAssignments[4];
    boneAssignments[0] = msVertex_GetBoneIndex(vertex);
    for (int32_t slot = 0; slot < 3; ++slot) boneAssignments[slot + 1] = msVertexEx_GetBoneIndices(vertexEx, slot);
    int32_t boneWeights[4];
    for (int32_t slot = 0; slot < 3; ++slot) boneWeights[slot] = msVertexEx_GetBoneWeights(vertexEx, slot);
    boneWeights[3] = RemainingPercent(boneWeights[0], boneWeights[1], boneWeights[2]);

    const int32_t version = kWrittenVersion;
    unsigned char record[kVertexRecordSize];
    for (int n = 0; n < 3; ++n) PutF32(record + kVertexPositionOffset + 4 * n, position[n]);
    PutU32(record + kVertexIdOffset, vertexId);
    if (HasTagVal(version)) PutU32(record + kVertexTagOffset, tagVal);
    const size_t assignments = VertexBoneAssignmentsOffset(HasTagVal(version));
    const size_t weights = VertexBoneWeightsOffset(HasTagVal(version));
    for (int n = 0; n < 4; ++n) {
        PutI32(record + assignments + 4 * n, boneAssignments[n]);
        PutF32(record + weights + 4 * n, WeightFraction(boneWeights[n]));
    }
    WritePending(file, record, VertexRecordSize(version));
    return true;
}

bool WriteTriangle(msMesh* mesh, int32_t index, PendingFile* file) {
    msTriangle* triangle = msMesh_GetTriangleAt(mesh, index);
    if (!triangle) return Refused(file);
    msTriangleEx* triangleEx = msMesh_GetTriangleExAt(mesh, index);
    if (!triangleEx) return Refused(file);
    uint16_t vertexIndicies[3];
    msTriangle_GetVertexIndices(triangle, vertexIndicies);

    unsigned char record[kTriangleRecordSize];
    for (int32_t corner = 0; corner < 3; ++corner) {
        float normal[3];
        float uvCoord[2];
        msTriangleEx_GetNormal(triangleEx, corner, normal);
        msTriangleEx_GetTexCoord(triangleEx, corner, uvCoord);
        unsigned char* cornerRecord = record + corner * kCornerRecordSize;
        PutU16(cornerRecord + kCornerVertexIndexOffset, vertexIndicies[corner]);
        for (int n = 0; n < 3; ++n) PutF32(cornerRecord + kCornerNormalOffset + 4 * n, normal[n]);
        for (int n = 0; n < 2; ++n) PutF32(cornerRecord + kCornerTexCoordOffset + 4 * n, uvCoord[n]);
    }
    WritePending(file, record, sizeof(record));
    return true;
}

// The end of a mesh block: the geostate count (always 0) and the mesh name.
void WriteMeshTail(msMesh* mesh, PendingFile* file) {
    char groupName[MS_MESH_NAME_BUFFER];
    groupName[0] = '\0';  // a host that writes nothing leaves an empty name
    msMesh_GetName(mesh, groupName, MS_MESH_NAME_BUFFER);
    const size_t strLen = BoundedLength(groupName, kMaxWrittenMeshName);

    const int32_t version = kWrittenVersion;
    unsigned char record[4 + 1 + kMaxWrittenMeshName];
    size_t size = 0;
    if (HasGeostates(version)) {
        PutI32(record + size, 0);
        size += 4;
    }
    if (HasMeshName(version)) {
        record[size++] = (unsigned char)strLen;
        memcpy(record + size, groupName, strLen);
        size += strLen;
    }
    WritePending(file, record, size);
}

void WriteMesh(msMesh* mesh, PendingFile* file) {
    const int32_t numVertices = msMesh_GetVertexCount(mesh);
    if (numVertices < 0) {
        Refused(file);
        return;
    }
    WriteCount(file, numVertices);
    for (int32_t j = 0; j < numVertices && !file->failed; ++j) {
        if (!WriteVertex(mesh, j, file)) return;
    }
    if (file->failed) return;  // nothing more is asked of the host once the file is lost

    const int32_t numTriangles = msMesh_GetTriangleCount(mesh);
    if (numTriangles < 0) {
        Refused(file);
        return;
    }
    WriteCount(file, numTriangles);
    for (int32_t k = 0; k < numTriangles && !file->failed; ++k) {
        if (!WriteTriangle(mesh, k, file)) return;
    }
    if (file->failed) return;

    WriteMeshTail(mesh, file);
}

void WriteBone(msBone* bone, PendingFile* file) {
    char boneName[MS_BONE_NAME_BUFFER];
    boneName[0] = '\0';
    msBone_GetName(bone, boneName, MS_BONE_NAME_BUFFER);
    const size_t strLen = BoundedLength(boneName, kMaxBoneName);
    float bonePosition[3];
    float boneRotation[3];
    msBone_GetPosition(bone, bonePosition);
    msBone_GetRotation(bone, boneRotation);

    const int32_t version = kWrittenVersion;
    unsigned char record[1 + kMaxBoneName + kBonePoseSize];
    size_t size = 0;
    record[size++] = (unsigned char)strLen;
    memcpy(record + size, boneName, strLen);
    size += strLen;
    if (HasBonePose(version)) {
        for (int n = 0; n < 3; ++n) PutF32(record + size + 4 * n, bonePosition[n]);
        for (int n = 0; n < 3; ++n) PutF32(record + size + 12 + 4 * n, boneRotation[n]);
        size += kBonePoseSize;
    }
    WritePending(file, record, size);
}

}  // namespace

void WriteModel(msModel* model, PendingFile* file) {
    unsigned char header[8];
    const int32_t numMeshes = msModel_GetMeshCount(model);
    if (numMeshes < 0) {
        Refused(file);
        return;
    }
    PutI32(header, kWrittenVersion);
    PutI32(header + 4, numMeshes);
    WritePending(file, header, sizeof(header));
    for (int32_t i = 0; i < numMeshes && !file->failed; ++i) {
        msMesh* mesh = msModel_GetMeshAt(model, i);
        if (!mesh) {
            Refused(file);
            return;
        }
        WriteMesh(mesh, file);
    }
    if (file->failed) return;

    const int32_t numBones = msModel_GetBoneCount(model);
    if (numBones < 0) {
        Refused(file);
        return;
    }
    WriteCount(file, numBones);
    for (int32_t b = 0; b < numBones && !file->failed; ++b) {
        msBone* bone = msModel_GetBoneAt(model, b);
        if (!bone) {
            Refused(file);
            return;
        }
        WriteBone(bone, file);
    }
}
