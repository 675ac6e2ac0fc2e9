// The stand-in host model: the data behind the model library's handles, and the
// C++ face that qevhost and the tests use to build and inspect a model.
//
// Items live in deques, so a handle or index stays valid while further meshes,
// vertices, triangles and bones are added.
#ifndef QEV_STANDIN_MODEL_H
#define QEV_STANDIN_MODEL_H

#include <cstdint>
#include <deque>
#include <set>
#include <string>
#include <unordered_map>

#include "msLib.h"

struct msVertexEx {
    int32_t boneIndices[3] = {-1, -1, -1};
    int32_t boneWeights[3] = {0, 0, 0};
    uint32_t extra[2] = {0, 0};
};

struct msVertex {
    float position[3] = {0, 0, 0};
    int32_t boneIndex = -1;
    msVertexEx ex;
};

struct msTriangleEx {
    float normals[3][3] = {};
    float texCoords[3][2] = {};
};

struct msTriangle {
    uint16_t vertexIndices[3] = {0, 0, 0};
    msTriangleEx ex;
};

struct msMesh {
    std::string name;
    std::deque<msVertex> vertices;
    std::deque<msTriangle> triangles;
};

struct msBone {
    std::string name;
    float position[3] = {0, 0, 0};
    float rotation[3] = {0, 0, 0};
    // Where the bone sits, so a rename through the C API keeps the model's
    // name index current.
    msModel* owner = nullptr;
    int32_t index = -1;
};

struct msModel {
    msModel() = default;
    msModel(const msModel& other);
    msModel& operator=(const msModel& other);

    std::deque<msMesh> meshes;
    std::deque<msBone> bones;
    int destroyCalls = 0;

    // Name -> indices of the bones with that name; the lowest is the one found.
    std::unordered_map<std::string, std::set<int32_t>> boneIndexByName;
};

namespace standin {

// Building a model from C++ (the same defaults as the C API).
msMesh& AddMesh(msModel& model, const std::string& name);
msBone& AddBone(msModel& model, const std::string& name);
void RenameBone(msModel& model, int32_t index, const std::string& name);

// Byte-exact comparison of everything a model holds (floats by their bits);
// destroyCalls is not compared.
bool SameContent(const msModel& a, const msModel& b);

}  // namespace standin

#endif
