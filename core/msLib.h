// Declarations of the host's model library (msModelLib), written from what the
// plug-ins need of it. Every function has C linkage and the platform's default
// (cdecl) calling convention; the plug-ins import them by name.
//
// Handles are opaque: the plug-ins only pass them back to the library.
#ifndef QEV_MSLIB_H
#define QEV_MSLIB_H

#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

typedef struct msModel msModel;
typedef struct msMesh msMesh;
typedef struct msVertex msVertex;
typedef struct msVertexEx msVertexEx;
typedef struct msTriangle msTriangle;
typedef struct msTriangleEx msTriangleEx;
typedef struct msBone msBone;

// Buffer sizes the host's name getters are called with (terminator included).
enum { MS_MESH_NAME_BUFFER = 256, MS_BONE_NAME_BUFFER = 100 };

int32_t msModel_GetMeshCount(msModel* model);
int32_t msModel_AddMesh(msModel* model);
msMesh* msModel_GetMeshAt(msModel* model, int32_t index);
int32_t msModel_GetBoneCount(msModel* model);
int32_t msModel_AddBone(msModel* model);
msBone* msModel_GetBoneAt(msModel* model, int32_t index);
int32_t msModel_FindBoneByName(msModel* model, const char* name);
void msModel_Destroy(msModel* model);

void msMesh_SetName(msMesh* mesh, const char* name);
void msMesh_GetName(msMesh* mesh, char* name, int32_t size);
int32_t msMesh_GetVertexCount(msMesh* mesh);
int32_t msMesh_AddVertex(msMesh* mesh);
msVertex* msMesh_GetVertexAt(msMesh* mesh, int32_t index);
msVertexEx* msMesh_GetVertexExAt(msMesh* mesh, int32_t index);
int32_t msMesh_GetTriangleCount(msMesh* mesh);
int32_t msMesh_AddTriangle(msMesh* mesh);
msTriangle* msMesh_GetTriangleAt(msMesh* mesh, int32_t index);
msTriangleEx* msMesh_GetTriangleExAt(msMesh* mesh, int32_t index);

void msVertex_SetVertex(msVertex* vertex, const float position[3]);
void msVertex_GetVertex(msVertex* vertex, float position[3]);
void msVertex_SetBoneIndex(msVertex* vertex, int32_t boneIndex);
int32_t msVertex_GetBoneIndex(msVertex* vertex);

void msVertexEx_SetBoneIndices(msVertexEx* vertex, int32_t slot, int32_t boneIndex);
int32_t msVertexEx_GetBoneIndices(msVertexEx* vertex, int32_t slot);
void msVertexEx_SetBoneWeights(msVertexEx* vertex, int32_t slot, int32_t weight);
int32_t msVertexEx_GetBoneWeights(msVertexEx* vertex, int32_t slot);
void msVertexEx_SetExtra(msVertexEx* vertex, int32_t slot, uint32_t extra);
uint32_t msVertexEx_GetExtra(msVertexEx* vertex, int32_t slot);

void msTriangle_SetVertexIndices(msTriangle* triangle, const uint16_t indices[3]);
void msTriangle_GetVertexIndices(msTriangle* triangle, uint16_t indices[3]);

void msTriangleEx_SetNormal(msTriangleEx* triangle, int32_t corner, const float normal[3]);
void msTriangleEx_GetNormal(msTriangleEx* triangle, int32_t corner, float normal[3]);
void msTriangleEx_SetTexCoord(msTriangleEx* triangle, int32_t corner, const float texCoord[2]);
void msTriangleEx_GetTexCoord(msTriangleEx* triangle, int32_t corner, float texCoord[2]);

void msBone_SetName(msBone* bone, const char* name);
void msBone_GetName(msBone* bone, char* name, int32_t size);
void msBone_SetPosition(msBone* bone, const float position[3]);
void msBone_GetPosition(msBone* bone, float position[3]);
void msBone_SetRotation(msBone* bone, const float rotation[3]);
void msBone_GetRotation(msBone* bone, float rotation[3]);

#ifdef __cplusplus
}
#endif

#endif
