// The stand-in model library: the host's C API over the structures of model.h.
// Under the default rules an index that names no item yields a null handle (or
// is ignored), and a null handle is ignored, so a faulty caller never crashes
// the stand-in; strict rules abort instead (see HostRules in model.h).
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "model.h"

namespace {

using qevmodel::HostCall;

qevmodel::HostRules gRules;
int64_t gCallsMade[qevmodel::kHostCallKinds];

// Counts the call and tells whether the rules refuse it.
bool Refused(HostCall kind) {
    const int k = static_cast<int>(kind);
    return ++gCallsMade[k] == gRules.refuseCall[k];
}

[[noreturn]] void Crash(const char* function, const char* what) {
    std::fprintf(stderr, "msModelLib (strict): %s was given %s\n", function, what);
    std::fflush(stderr);
    std::abort();
}

// A pointer argument as the function uses it: null is ignored, or fatal when strict.
template <typename T>
T* Checked(T* pointer, const char* function) {
    if (!pointer && gRules.strict) Crash(function, "a null pointer");
    return pointer;
}

bool CheckedIndex(bool valid, const char* function) {
    if (!valid && gRules.strict) Crash(function, "an index out of range");
    return valid;
}

template <typename Deque>
auto* ItemAt(Deque& items, int32_t index) {
    using Item = typename Deque::value_type;
    if (index < 0 || static_cast<size_t>(index) >= items.size()) return static_cast<Item*>(nullptr);
    return &items[static_cast<size_t>(index)];
}

int32_t CountOf(size_t size) { return static_cast<int32_t>(std::min<size_t>(size, INT32_MAX)); }

bool ValidSlot(int32_t slot, int32_t count) { return slot >= 0 && slot < count; }

void CopyName(const std::string& name, char* buffer, int32_t size) {
    if (!buffer || size <= 0) return;
    const size_t n = std::min(name.size(), static_cast<size_t>(size - 1));
    std::memcpy(buffer, name.data(), n);
    buffer[n] = '\0';
}

void CopyFloats(float* to, const float* from, int n) {
    if (to && from) std::memcpy(to, from, sizeof(float) * n);
}

void IndexBoneName(msModel& model, const std::string& name, int32_t index) {
    model.boneIndexByName[name].insert(index);
}

void UnindexBoneName(msModel& model, const std::string& name, int32_t index) {
    auto found = model.boneIndexByName.find(name);
    if (found == model.boneIndexByName.end()) return;
    // An emptied entry stays: every new bone passes through the empty name
    // before it is named, and dropping and re-making that entry for each one
    // was a third of the cost of adding many bones.
    found->second.erase(index);
}

}  // namespace

msModel::msModel(const msModel& other)
    : meshes(other.meshes), bones(other.bones), destroyCalls(other.destroyCalls),
      boneIndexByName(other.boneIndexByName) {
    for (auto& bone : bones) bone.owner = this;
}

msModel& msModel::operator=(const msModel& other) {
    if (this != &other) {
        meshes = other.meshes;
        bones = other.bones;
        destroyCalls = other.destroyCalls;
        boneIndexByName = other.boneIndexByName;
        for (auto& bone : bones) bone.owner = this;
    }
    return *this;
}

namespace qevmodel {

msMesh& AddMesh(msModel& model, const std::string& name) {
    const int32_t index = msModel_AddMesh(&model);
    msMesh& mesh = model.meshes[static_cast<size_t>(index)];
    mesh.name = name;
    return mesh;
}

msBone& AddBone(msModel& model, const std::string& name) {
    const int32_t index = msModel_AddBone(&model);
    RenameBone(model, index, name);
    return model.bones[static_cast<size_t>(index)];
}

void RenameBone(msModel& model, int32_t index, const std::string& name) {
    msBone* bone = ItemAt(model.bones, index);
    if (!bone) return;
    UnindexBoneName(model, bone->name, index);
    bone->name = name;
    IndexBoneName(model, name, index);
}

namespace {
bool SameBits(const void* a, const void* b, size_t n) { return std::memcmp(a, b, n) == 0; }

bool SameVertex(const msVertex& a, const msVertex& b) {
    return SameBits(a.position, b.position, sizeof(a.position)) && a.boneIndex == b.boneIndex &&
           SameBits(a.ex.boneIndices, b.ex.boneIndices, sizeof(a.ex.boneIndices)) &&
           SameBits(a.ex.boneWeights, b.ex.boneWeights, sizeof(a.ex.boneWeights)) &&
           SameBits(a.ex.extra, b.ex.extra, sizeof(a.ex.extra));
}

bool SameTriangle(const msTriangle& a, const msTriangle& b) {
    return SameBits(a.vertexIndices, b.vertexIndices, sizeof(a.vertexIndices)) &&
           SameBits(a.ex.normals, b.ex.normals, sizeof(a.ex.normals)) &&
           SameBits(a.ex.texCoords, b.ex.texCoords, sizeof(a.ex.texCoords));
}

bool SameBone(const msBone& a, const msBone& b) {
    return a.name == b.name && SameBits(a.position, b.position, sizeof(a.position)) &&
           SameBits(a.rotation, b.rotation, sizeof(a.rotation));
}

bool SameMesh(const msMesh& a, const msMesh& b) {
    return a.name == b.name &&
           std::equal(a.vertices.begin(), a.vertices.end(), b.vertices.begin(), b.vertices.end(), SameVertex) &&
           std::equal(a.triangles.begin(), a.triangles.end(), b.triangles.begin(), b.triangles.end(), SameTriangle);
}
}  // namespace

bool SameContent(const msModel& a, const msModel& b) {
    return std::equal(a.meshes.begin(), a.meshes.end(), b.meshes.begin(), b.meshes.end(), SameMesh) &&
           std::equal(a.bones.begin(), a.bones.end(), b.bones.begin(), b.bones.end(), SameBone);
}

void SetHostRules(const HostRules& rules) {
    gRules = rules;
    std::fill(std::begin(gCallsMade), std::end(gCallsMade), 0);
}

const HostRules& CurrentHostRules() { return gRules; }

int64_t HostCallsMade(HostCall kind) { return gCallsMade[static_cast<int>(kind)]; }

}  // namespace qevmodel

namespace {

template <typename Deque>
auto* CheckedItemAt(Deque& items, int32_t index, const char* function) {
    auto* item = ItemAt(items, index);
    CheckedIndex(item != nullptr, function);
    return item;
}

int32_t CheckedCount(size_t size, HostCall kind) { return Refused(kind) ? -1 : CountOf(size); }

}  // namespace

// Each function names itself when strict rules stop it.
#define CHECKED(pointer) Checked(pointer, __func__)
#define CHECKED_INDEX(valid) CheckedIndex(valid, __func__)

extern "C" {

int32_t msModel_GetMeshCount(msModel* model) {
    return CHECKED(model) ? CheckedCount(model->meshes.size(), HostCall::kMeshCount) : 0;
}

int32_t msModel_AddMesh(msModel* model) {
    if (!CHECKED(model) || Refused(HostCall::kAddMesh)) return -1;
    const int32_t index = CountOf(model->meshes.size());
    model->meshes.emplace_back();
    model->meshes.back().name = "mesh" + std::to_string(index);
    return index;
}

msMesh* msModel_GetMeshAt(msModel* model, int32_t index) {
    if (!CHECKED(model)) return nullptr;
    msMesh* mesh = CheckedItemAt(model->meshes, index, __func__);
    return Refused(HostCall::kGetMesh) ? nullptr : mesh;
}

int32_t msModel_GetBoneCount(msModel* model) {
    return CHECKED(model) ? CheckedCount(model->bones.size(), HostCall::kBoneCount) : 0;
}

int32_t msModel_AddBone(msModel* model) {
    if (!CHECKED(model) || Refused(HostCall::kAddBone)) return -1;
    const int32_t index = CountOf(model->bones.size());
    model->bones.emplace_back();
    model->bones.back().owner = model;
    model->bones.back().index = index;
    IndexBoneName(*model, model->bones.back().name, index);
    return index;
}

msBone* msModel_GetBoneAt(msModel* model, int32_t index) {
    if (!CHECKED(model)) return nullptr;
    msBone* bone = CheckedItemAt(model->bones, index, __func__);
    return Refused(HostCall::kGetBone) ? nullptr : bone;
}

int32_t msModel_FindBoneByName(msModel* model, const char* name) {
    if (!CHECKED(model) || !CHECKED(name)) return -1;
    auto found = model->boneIndexByName.find(name);
    return found == model->boneIndexByName.end() || found->second.empty() ? -1 : *found->second.begin();
}

void msModel_Destroy(msModel* model) {
    if (!CHECKED(model)) return;
    model->meshes.clear();
    model->bones.clear();
    model->boneIndexByName.clear();
    ++model->destroyCalls;
}

void msMesh_SetName(msMesh* mesh, const char* name) {
    if (CHECKED(mesh) && CHECKED(name)) mesh->name = name;
}

void msMesh_GetName(msMesh* mesh, char* name, int32_t size) {
    if (CHECKED(mesh) && CHECKED(name) && CHECKED_INDEX(size > 0)) CopyName(mesh->name, name, size);
}

int32_t msMesh_GetVertexCount(msMesh* mesh) {
    return CHECKED(mesh) ? CheckedCount(mesh->vertices.size(), HostCall::kVertexCount) : 0;
}

int32_t msMesh_AddVertex(msMesh* mesh) {
    if (!CHECKED(mesh) || Refused(HostCall::kAddVertex)) return -1;
    if (gRules.maxVerticesPerMesh >= 0 && mesh->vertices.size() >= size_t(gRules.maxVerticesPerMesh)) return -1;
    mesh->vertices.emplace_back();
    return CountOf(mesh->vertices.size() - 1);
}

msVertex* msMesh_GetVertexAt(msMesh* mesh, int32_t index) {
    if (!CHECKED(mesh)) return nullptr;
    msVertex* vertex = CheckedItemAt(mesh->vertices, index, __func__);
    return Refused(HostCall::kGetVertex) ? nullptr : vertex;
}

msVertexEx* msMesh_GetVertexExAt(msMesh* mesh, int32_t index) {
    if (!CHECKED(mesh)) return nullptr;
    msVertex* vertex = CheckedItemAt(mesh->vertices, index, __func__);
    return Refused(HostCall::kGetVertexEx) || !vertex ? nullptr : &vertex->ex;
}

int32_t msMesh_GetTriangleCount(msMesh* mesh) {
    return CHECKED(mesh) ? CheckedCount(mesh->triangles.size(), HostCall::kTriangleCount) : 0;
}

int32_t msMesh_AddTriangle(msMesh* mesh) {
    if (!CHECKED(mesh) || Refused(HostCall::kAddTriangle)) return -1;
    if (gRules.maxTrianglesPerMesh >= 0 && mesh->triangles.size() >= size_t(gRules.maxTrianglesPerMesh)) return -1;
    mesh->triangles.emplace_back();
    return CountOf(mesh->triangles.size() - 1);
}

msTriangle* msMesh_GetTriangleAt(msMesh* mesh, int32_t index) {
    if (!CHECKED(mesh)) return nullptr;
    msTriangle* triangle = CheckedItemAt(mesh->triangles, index, __func__);
    return Refused(HostCall::kGetTriangle) ? nullptr : triangle;
}

msTriangleEx* msMesh_GetTriangleExAt(msMesh* mesh, int32_t index) {
    if (!CHECKED(mesh)) return nullptr;
    msTriangle* triangle = CheckedItemAt(mesh->triangles, index, __func__);
    return Refused(HostCall::kGetTriangleEx) || !triangle ? nullptr : &triangle->ex;
}

void msVertex_SetVertex(msVertex* vertex, const float position[3]) {
    if (CHECKED(vertex) && CHECKED(position)) CopyFloats(vertex->position, position, 3);
}
void msVertex_GetVertex(msVertex* vertex, float position[3]) {
    if (CHECKED(vertex) && CHECKED(position)) CopyFloats(position, vertex->position, 3);
}
void msVertex_SetBoneIndex(msVertex* vertex, int32_t boneIndex) {
    if (CHECKED(vertex)) vertex->boneIndex = boneIndex;
}
int32_t msVertex_GetBoneIndex(msVertex* vertex) { return CHECKED(vertex) ? vertex->boneIndex : -1; }

void msVertexEx_SetBoneIndices(msVertexEx* vertex, int32_t slot, int32_t boneIndex) {
    if (CHECKED(vertex) && CHECKED_INDEX(ValidSlot(slot, 3))) vertex->boneIndices[slot] = boneIndex;
}
int32_t msVertexEx_GetBoneIndices(msVertexEx* vertex, int32_t slot) {
    return CHECKED(vertex) && CHECKED_INDEX(ValidSlot(slot, 3)) ? vertex->boneIndices[slot] : -1;
}
void msVertexEx_SetBoneWeights(msVertexEx* vertex, int32_t slot, int32_t weight) {
    if (CHECKED(vertex) && CHECKED_INDEX(ValidSlot(slot, 3))) vertex->boneWeights[slot] = weight;
}
int32_t msVertexEx_GetBoneWeights(msVertexEx* vertex, int32_t slot) {
    return CHECKED(vertex) && CHECKED_INDEX(ValidSlot(slot, 3)) ? vertex->boneWeights[slot] : 0;
}
void msVertexEx_SetExtra(msVertexEx* vertex, int32_t slot, uint32_t extra) {
    if (CHECKED(vertex) && CHECKED_INDEX(ValidSlot(slot, 2))) vertex->extra[slot] = extra;
}
uint32_t msVertexEx_GetExtra(msVertexEx* vertex, int32_t slot) {
    return CHECKED(vertex) && CHECKED_INDEX(ValidSlot(slot, 2)) ? vertex->extra[slot] : 0;
}

void msTriangle_SetVertexIndices(msTriangle* triangle, const uint16_t indices[3]) {
    if (CHECKED(triangle) && CHECKED(indices))
        std::memcpy(triangle->vertexIndices, indices, sizeof(triangle->vertexIndices));
}
void msTriangle_GetVertexIndices(msTriangle* triangle, uint16_t indices[3]) {
    if (CHECKED(triangle) && CHECKED(indices))
        std::memcpy(indices, triangle->vertexIndices, sizeof(triangle->vertexIndices));
}

void msTriangleEx_SetNormal(msTriangleEx* triangle, int32_t corner, const float normal[3]) {
    if (CHECKED(triangle) && CHECKED(normal) && CHECKED_INDEX(ValidSlot(corner, 3)))
        CopyFloats(triangle->normals[corner], normal, 3);
}
void msTriangleEx_GetNormal(msTriangleEx* triangle, int32_t corner, float normal[3]) {
    if (CHECKED(triangle) && CHECKED(normal) && CHECKED_INDEX(ValidSlot(corner, 3)))
        CopyFloats(normal, triangle->normals[corner], 3);
}
void msTriangleEx_SetTexCoord(msTriangleEx* triangle, int32_t corner, const float texCoord[2]) {
    if (CHECKED(triangle) && CHECKED(texCoord) && CHECKED_INDEX(ValidSlot(corner, 3)))
        CopyFloats(triangle->texCoords[corner], texCoord, 2);
}
void msTriangleEx_GetTexCoord(msTriangleEx* triangle, int32_t corner, float texCoord[2]) {
    if (CHECKED(triangle) && CHECKED(texCoord) && CHECKED_INDEX(ValidSlot(corner, 3)))
        CopyFloats(texCoord, triangle->texCoords[corner], 2);
}

void msBone_SetName(msBone* bone, const char* name) {
    if (!CHECKED(bone) || !CHECKED(name)) return;
    if (!bone->owner) {
        bone->name = name;
        return;
    }
    qevmodel::RenameBone(*bone->owner, bone->index, name);
}
void msBone_GetName(msBone* bone, char* name, int32_t size) {
    if (CHECKED(bone) && CHECKED(name) && CHECKED_INDEX(size > 0)) CopyName(bone->name, name, size);
}
void msBone_SetPosition(msBone* bone, const float position[3]) {
    if (CHECKED(bone) && CHECKED(position)) CopyFloats(bone->position, position, 3);
}
void msBone_GetPosition(msBone* bone, float position[3]) {
    if (CHECKED(bone) && CHECKED(position)) CopyFloats(position, bone->position, 3);
}
void msBone_SetRotation(msBone* bone, const float rotation[3]) {
    if (CHECKED(bone) && CHECKED(rotation)) CopyFloats(bone->rotation, rotation, 3);
}
void msBone_GetRotation(msBone* bone, float rotation[3]) {
    if (CHECKED(bone) && CHECKED(rotation)) CopyFloats(rotation, bone->rotation, 3);
}

}  // extern "C"
