// Meshes from other tools: the primitives of a mesh node become one QEV mesh.
#include <cmath>
#include <cstring>
#include <unordered_map>

#include "model_json.h"
#include "read_context.h"
#include "vertex_influences.h"

namespace gltfqev {
namespace {

// A QEV mesh indexes its vertices with 16 bits.
const size_t kMaxMeshVertices = 65536;

struct ReadVertex {
    float position[3];
    float normal[3];
    bool hasNormal;
    float uv[2];
    msVertex bones;
};

const char* ModeName(int mode) {
    switch (mode) {
    case TINYGLTF_MODE_POINTS: return "POINTS";
    case TINYGLTF_MODE_LINE: return "LINES";
    case TINYGLTF_MODE_LINE_LOOP: return "LINE_LOOP";
    case TINYGLTF_MODE_LINE_STRIP: return "LINE_STRIP";
    default: return "unknown";
    }
}

// Corner lists of the primitive's triangles, as glTF orders strips and fans.
void AppendTriangles(int mode, const std::vector<uint32_t>& order, uint32_t base, std::vector<uint32_t>& corners) {
    const size_t n = order.size();
    auto push = [&](size_t a, size_t b, size_t c) {
        corners.push_back(base + order[a]);
        corners.push_back(base + order[b]);
        corners.push_back(base + order[c]);
    };
    if (mode == TINYGLTF_MODE_TRIANGLES) {
        for (size_t i = 0; i + 2 < n; i += 3) push(i, i + 1, i + 2);
    } else if (mode == TINYGLTF_MODE_TRIANGLE_STRIP) {
        for (size_t i = 0; i + 2 < n; ++i) {
            if (i % 2 == 0) push(i, i + 1, i + 2);
            else push(i, i + 2, i + 1);
        }
    } else {
        for (size_t i = 1; i + 1 < n; ++i) push(i, i + 1, 0);
    }
}

class ForeignMeshReader {
public:
    ForeignMeshReader(ReadContext& context, int nodeIndex)
        : context_(context), document_(context.document), node_(document_.nodes[nodeIndex]), nodeIndex_(nodeIndex) {}

    void Read() {
        const tinygltf::Mesh& mesh = document_.meshes[node_.mesh];
        const bool skinned = node_.skin >= 0;
        if (skinned && (size_t)node_.skin >= document_.skins.size())
            Fail(NodePointer() + "/skin", "skin " + std::to_string(node_.skin) + " does not exist");
        // A skinned mesh is posed by its joints alone: glTF ignores its node's transform.
        world_ = skinned ? Identity() : context_.WorldMatrix(nodeIndex_);
        normalMatrix_ = NormalMatrix(world_);
        for (size_t p = 0; p < mesh.primitives.size(); ++p) ReadPrimitive(mesh.primitives[p], p);
        WriteMeshes(context_.Latin1Name(!node_.name.empty() ? node_.name : mesh.name));
    }

private:
    std::string NodePointer() const { return "/nodes/" + std::to_string(nodeIndex_); }

    void ReadPrimitive(const tinygltf::Primitive& primitive, size_t p) {
        const std::string pointer = "/meshes/" + std::to_string(node_.mesh) + "/primitives/" + std::to_string(p);
        const int mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
        if (mode != TINYGLTF_MODE_TRIANGLES && mode != TINYGLTF_MODE_TRIANGLE_STRIP &&
            mode != TINYGLTF_MODE_TRIANGLE_FAN)
            Fail(pointer + "/mode", std::string("mode ") + ModeName(mode) + " (" + std::to_string(mode) +
                                        ") cannot be converted: QEV meshes hold triangles only");
        auto found = primitive.attributes.find("POSITION");
        if (found == primitive.attributes.end()) Fail(pointer + "/attributes", "no POSITION attribute");
        const AccessorValues positions =
            OpenAccessor(document_, found->second, pointer + "/attributes/POSITION", {TINYGLTF_TYPE_VEC3},
                         {TINYGLTF_COMPONENT_TYPE_FLOAT});
        const size_t count = positions.count;
        if (vertices_.size() + count > 0xFFFFFFFFu) Fail(pointer, "too many vertices");
        const uint32_t base = (uint32_t)vertices_.size();
        const bool hasNormals = primitive.attributes.count("NORMAL") != 0;
        const bool hasUvs = primitive.attributes.count("TEXCOORD_0") != 0;
        AccessorValues normals, uvs;
        if (hasNormals)
            normals = OpenAttribute(context_, primitive, "NORMAL", pointer, count, {TINYGLTF_TYPE_VEC3},
                                    {TINYGLTF_COMPONENT_TYPE_FLOAT});
        if (hasUvs)
            uvs = OpenAttribute(context_, primitive, "TEXCOORD_0", pointer, count, {TINYGLTF_TYPE_VEC2},
                                {TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                                 TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT});
        std::vector<std::vector<Influence>> influences(count);
        if (node_.skin >= 0) ReadInfluences(primitive, pointer, count, influences);

        vertices_.reserve(vertices_.size() + count);
        for (size_t v = 0; v < count; ++v) {
            ReadVertex vertex;
            double in[3] = {positions.Float(v, 0), positions.Float(v, 1), positions.Float(v, 2)}, out[3];
            TransformPoint(world_, in, out);
            for (int k = 0; k < 3; ++k) vertex.position[k] = ToFloat(out[k]);
            vertex.hasNormal = hasNormals;
            if (hasNormals) {
                double n[3] = {normals.Float(v, 0), normals.Float(v, 1), normals.Float(v, 2)}, m[3];
                TransformNormal(normalMatrix_, n, m);
                for (int k = 0; k < 3; ++k) vertex.normal[k] = ToFloat(m[k]);
            }
            vertex.uv[0] = hasUvs ? ToFloat(uvs.Float(v, 0)) : 0.0f;
            vertex.uv[1] = hasUvs ? ToFloat(uvs.Float(v, 1)) : 0.0f;
            if (SetQevInfluences(influences[v], vertex.bones) > 0) ++context_.overInfluenced;
            vertices_.push_back(vertex);
        }

        std::vector<uint32_t> order;
        if (primitive.indices >= 0) {
            const std::string where = pointer + "/indices";
            const AccessorValues indices =
                OpenAccessor(document_, primitive.indices, where, {TINYGLTF_TYPE_SCALAR},
                             {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                              TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT});
            order.resize(indices.count);
            for (size_t i = 0; i < indices.count; ++i) {
                order[i] = indices.Unsigned(i, 0);
                if (order[i] >= count)
                    Fail("/accessors/" + std::to_string(primitive.indices),
                         "index " + std::to_string(order[i]) + " (element " + std::to_string(i) +
                             ") names no vertex: POSITION has " + std::to_string(count));
            }
        } else {
            order.resize(count);
            for (size_t i = 0; i < count; ++i) order[i] = (uint32_t)i;
        }
        AppendTriangles(mode, order, base, corners_);
    }

    void ReadInfluences(const tinygltf::Primitive& primitive, const std::string& pointer, size_t count,
                        std::vector<std::vector<Influence>>& influences) {
        const std::vector<int32_t>& bones = context_.jointBones[node_.skin];
        for (int set = 0;; ++set) {
            const std::string jointsName = "JOINTS_" + std::to_string(set);
            const std::string weightsName = "WEIGHTS_" + std::to_string(set);
            if (!primitive.attributes.count(jointsName) || !primitive.attributes.count(weightsName)) break;
            const AccessorValues joints =
                OpenAttribute(context_, primitive, jointsName, pointer, count, {TINYGLTF_TYPE_VEC4},
                              {TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT});
            const AccessorValues weights =
                OpenAttribute(context_, primitive, weightsName, pointer, count, {TINYGLTF_TYPE_VEC4},
                              {TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE,
                               TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT});
            for (size_t v = 0; v < count; ++v) {
                for (int k = 0; k < 4; ++k) {
                    const double weight = weights.Float(v, k);
                    if (!(weight > 0)) continue;
                    const uint32_t joint = joints.Unsigned(v, k);
                    if (joint >= bones.size())
                        Fail(pointer + "/attributes/" + jointsName,
                             "joint " + std::to_string(joint) + " (vertex " + std::to_string(v) + ") is not in skin " +
                                 std::to_string(node_.skin) + ", which has " + std::to_string(bones.size()) +
                                 " joints");
                    // Weight on qev's own root means "bound to no bone".
                    if (bones[joint] >= 0) influences[v].push_back({bones[joint], weight});
                }
            }
        }
    }

    void WriteMeshes(const std::string& name) {
        if (vertices_.size() <= kMaxMeshVertices) {
            msMesh& mesh = qevmodel::AddMesh(context_.model, name);
            for (const ReadVertex& v : vertices_) mesh.vertices.push_back(QevVertex(v));
            for (size_t c = 0; c < corners_.size(); c += 3) AddTriangle(mesh, &corners_[c], &corners_[c]);
            return;
        }
        // Split: triangles in order, each part taking vertices as its triangles first use them.
        size_t parts = 0;
        std::unordered_map<uint32_t, uint16_t> local;
        msMesh* mesh = nullptr;
        for (size_t c = 0; c < corners_.size(); c += 3) {
            size_t fresh = 0;
            for (int k = 0; k < 3; ++k) fresh += mesh && local.count(corners_[c + k]) ? 0 : 1;
            if (!mesh || mesh->vertices.size() + fresh > kMaxMeshVertices) {
                mesh = &qevmodel::AddMesh(context_.model, parts == 0 ? name : name + "." + std::to_string(parts));
                ++parts;
                local.clear();
            }
            uint32_t corner[3];
            for (int k = 0; k < 3; ++k) {
                auto found = local.emplace(corners_[c + k], (uint16_t)mesh->vertices.size());
                if (found.second) mesh->vertices.push_back(QevVertex(vertices_[corners_[c + k]]));
                corner[k] = found.first->second;
            }
            AddTriangle(*mesh, corner, &corners_[c]);
        }
        context_.warnings.push_back("mesh '" + qevmodel::Latin1ToUtf8(name) + "' (node " + std::to_string(nodeIndex_) +
                                    ") has " + std::to_string(vertices_.size()) + " vertices, split into " +
                                    std::to_string(parts) + " QEV meshes of at most 65,536");
    }

    static msVertex QevVertex(const ReadVertex& v) {
        msVertex vertex = v.bones;
        memcpy(vertex.position, v.position, sizeof(vertex.position));
        return vertex;
    }

    // local: the corners' indices in the QEV mesh; global: the same corners in vertices_.
    void AddTriangle(msMesh& mesh, const uint32_t* local, const uint32_t* global) {
        msTriangle triangle;
        float face[3] = {0, 0, 0};
        bool faceDone = false;
        for (int k = 0; k < 3; ++k) {
            const ReadVertex& v = vertices_[global[k]];
            triangle.vertexIndices[k] = (uint16_t)local[k];
            if (v.hasNormal) {
                memcpy(triangle.ex.normals[k], v.normal, sizeof(v.normal));
            } else {
                // Without normals glTF shades flat: every corner takes the face's normal.
                if (!faceDone) FaceNormal(global, face), faceDone = true;
                memcpy(triangle.ex.normals[k], face, sizeof(face));
            }
            memcpy(triangle.ex.texCoords[k], v.uv, sizeof(v.uv));
        }
        mesh.triangles.push_back(triangle);
    }

    void FaceNormal(const uint32_t* global, float normal[3]) const {
        const float* a = vertices_[global[0]].position;
        const float* b = vertices_[global[1]].position;
        const float* c = vertices_[global[2]].position;
        const double u[3] = {(double)b[0] - a[0], (double)b[1] - a[1], (double)b[2] - a[2]};
        const double w[3] = {(double)c[0] - a[0], (double)c[1] - a[1], (double)c[2] - a[2]};
        double n[3] = {u[1] * w[2] - u[2] * w[1], u[2] * w[0] - u[0] * w[2], u[0] * w[1] - u[1] * w[0]};
        const double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
        for (int k = 0; k < 3; ++k) normal[k] = length > 0 && std::isfinite(length) ? ToFloat(n[k] / length) : 0.0f;
    }

    ReadContext& context_;
    const tinygltf::Model& document_;
    const tinygltf::Node& node_;
    int nodeIndex_;
    Matrix world_, normalMatrix_;
    std::vector<ReadVertex> vertices_;
    std::vector<uint32_t> corners_;
};

}  // namespace

void ReadForeignMeshNode(ReadContext& context, int node) { ForeignMeshReader(context, node).Read(); }

}  // namespace gltfqev
