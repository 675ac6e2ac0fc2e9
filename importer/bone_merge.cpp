#include "bone_merge.h"

#include "qev_format.h"

namespace {

// Host index for one file bone, adding the bone when the model has none of its
// name; -1 when the host refuses the bone.
int32_t FindOrAddBone(msModel* model, const char* name, const float position[3],
                      const float rotation[3]) {
    const int32_t found = msModel_FindBoneByName(model, name);
    if (found >= 0) return found;
    const int32_t added = msModel_AddBone(model);
    if (added < 0) return -1;
    msBone* bone = msModel_GetBoneAt(model, added);
    if (!bone) return -1;
    msBone_SetName(bone, name);
    msBone_SetPosition(bone, position);
    msBone_SetRotation(bone, rotation);
    return added;
}

// Fills hostIndexOfFileBone, one entry per bone record read whole. False when
// the host refused a bone: reading then stops for good, and the bones before
// it are still merged.
bool FindOrAddBones(QevReader* reader, msModel* model, int32_t version, IndexList* hostIndexOfFileBone) {
    int32_t numBones = 0;
    reader->place.block = -1;
    reader->place.geostate = -1;
    QevReader_At(reader, QEV_PLACE_BONE_COUNT, -1, 0);
    if (!QevReader_ReadI32(reader, &numBones)) return true;
    QevReader_Notify(reader, nullptr, 0, numBones);
    for (int32_t b = 0; b < numBones; ++b) {
        char boneName[qev::kMaxBoneName + 1];
        QevReader_At(reader, QEV_PLACE_BONE, b, numBones);
        if (!QevReader_ReadName(reader, boneName, sizeof(boneName))) return true;
        float pose[6] = {0, 0, 0, 0, 0, 0};  // version 1 carries no pose: added bones sit at zero
        if (qev::HasBonePose(version)) {
            unsigned char bytes[qev::kBonePoseSize];
            if (!QevReader_Read(reader, bytes, sizeof(bytes))) return true;
            for (int n = 0; n < 6; ++n) pose[n] = qev::GetF32(bytes + 4 * n);
        }
        if (!IndexList_Reserve(hostIndexOfFileBone)) {
            QevReader_Stop(reader);
            return true;
        }
        const int32_t hostIndex = FindOrAddBone(model, boneName, pose, pose + 3);
        if (hostIndex < 0) {
            QevReader_Stop(reader);
            return false;
        }
        IndexList_Push(hostIndexOfFileBone, hostIndex);
        QevReader_Notify(reader, reader->name, reader->nameLength, hostIndex);
    }
    return true;
}

// A reference holding a file bone number gets its host index; any other value is kept.
bool Rebound(int32_t reference, const IndexList* hostIndexOfFileBone, int32_t* hostIndex) {
    if (reference < 0 || (size_t)reference >= hostIndexOfFileBone->count) return false;
    *hostIndex = hostIndexOfFileBone->items[reference];
    return *hostIndex != reference;
}

// One pass over the imported vertices: each reference is looked up once, on the
// value the import gave it, so it is re-bound at most once whatever the order of
// the bones, and the cost grows with vertices plus bones. False when the host
// refuses a mesh, a vertex or the vertex count: the references met so far
// stay re-bound, the rest keep their file numbers.
bool RebindReferences(msModel* model, const IndexList* meshTable, const IndexList* hostIndexOfFileBone) {
    if (hostIndexOfFileBone->count == 0) return true;
    for (size_t entry = 0; entry < meshTable->count; ++entry) {
        msMesh* mesh = msModel_GetMeshAt(model, meshTable->items[entry]);
        if (!mesh) return false;
        const int32_t numVertices = msMesh_GetVertexCount(mesh);
        if (numVertices < 0) return false;
        for (int32_t v = 0; v < numVertices; ++v) {
            msVertex* vertex = msMesh_GetVertexAt(mesh, v);
            if (!vertex) return false;
            msVertexEx* ext = msMesh_GetVertexExAt(mesh, v);
            if (!ext) return false;
            int32_t hostIndex;
            if (Rebound(msVertex_GetBoneIndex(vertex), hostIndexOfFileBone, &hostIndex))
                msVertex_SetBoneIndex(vertex, hostIndex);
            for (int slot = 0; slot < 3; ++slot) {
                if (Rebound(msVertexEx_GetBoneIndices(ext, slot), hostIndexOfFileBone, &hostIndex))
                    msVertexEx_SetBoneIndices(ext, slot, hostIndex);
            }
        }
    }
    return true;
}

}  // namespace

bool MergeBones(QevReader* reader, msModel* model, int32_t version, const IndexList* meshTable) {
    IndexList hostIndexOfFileBone;
    IndexList_Init(&hostIndexOfFileBone);
    const bool bonesAccepted = FindOrAddBones(reader, model, version, &hostIndexOfFileBone);
    const bool referencesRebound = RebindReferences(model, meshTable, &hostIndexOfFileBone);
    IndexList_Release(&hostIndexOfFileBone);
    return bonesAccepted && referencesRebound;
}
