#include "gltf_document.h"

#include <cmath>
#include <algorithm>
#include <cstring>
#include <string>

#include "gltf_conventions.h"
#include "model_json.h"
#include "vertex_influences.h"

namespace gltfqev {
namespace {

uint32_t Bits(float value) {
    uint32_t bits;
    memcpy(&bits, &value, sizeof(bits));
    return bits;
}

// A glTF vertex is one distinct (QEV vertex, normal, texture coordinate) of
// the mesh's corners, keyed on the QEV vertex index and the values' bits.
struct CornerKey {
    uint32_t vertex;
    uint32_t normal[3];
    uint32_t uv[2];
    bool operator==(const CornerKey& o) const { return memcmp(this, &o, sizeof(*this)) == 0; }
};

const uint32_t kEmptySlot = 0xFFFFFFFFu;

struct CornerKeyHash {
    size_t operator()(const CornerKey& k) const {
        uint64_t h = 1469598103934665603ull;
        const uint32_t* words = &k.vertex;
        for (int n = 0; n < 6; ++n) h = (h ^ words[n]) * 1099511628211ull;
        return (size_t)(h ^ (h >> 29));
    }
};

// One accessor's values, packed, ready for the buffer.
struct Column {
    std::vector<unsigned char> bytes;
    void Reserve(size_t count, size_t size) { bytes.reserve(count * size); }
    template <typename T>
    void Push(T value) {
        unsigned char raw[sizeof(T)];
        memcpy(raw, &value, sizeof(T));
        bytes.insert(bytes.end(), raw, raw + sizeof(T));
    }
};

class DocumentBuilder {
public:
    DocumentBuilder(tinygltf::Model& document) : document_(document) {
        document_.buffers.emplace_back();
    }

    int AddView(const Column& column, int target, size_t stride = 0) {
        std::vector<unsigned char>& data = document_.buffers[0].data;
        while (data.size() % 4) data.push_back(0);
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = data.size();
        view.byteLength = column.bytes.size();
        view.byteStride = stride;
        view.target = target;
        data.insert(data.end(), column.bytes.begin(), column.bytes.end());
        document_.bufferViews.push_back(view);
        return (int)document_.bufferViews.size() - 1;
    }

    int AddAccessorOn(int view, size_t offset, size_t count, int componentType, int type,
                      std::vector<double> minValues = {}, std::vector<double> maxValues = {}) {
        tinygltf::Accessor accessor;
        accessor.bufferView = view;
        accessor.byteOffset = offset;
        accessor.componentType = componentType;
        accessor.count = count;
        accessor.type = type;
        accessor.minValues = std::move(minValues);
        accessor.maxValues = std::move(maxValues);
        document_.accessors.push_back(accessor);
        return (int)document_.accessors.size() - 1;
    }

    int AddAccessor(const Column& column, size_t count, int componentType, int type, int target,
                    std::vector<double> minValues = {}, std::vector<double> maxValues = {}) {
        return AddAccessorOn(AddView(column, target), 0, count, componentType, type, std::move(minValues),
                             std::move(maxValues));
    }

    void Finish() {
        std::vector<unsigned char>& data = document_.buffers[0].data;
        while (data.size() % 4) data.push_back(0);
    }

private:
    tinygltf::Model& document_;
};

tinygltf::Value QevExtras(tinygltf::Value::Object fields) {
    tinygltf::Value::Object outer;
    outer[kExtrasKey] = tinygltf::Value(std::move(fields));
    return tinygltf::Value(std::move(outer));
}

tinygltf::Value BitsArray(const float* values, int count) {
    tinygltf::Value::Array array;
    for (int n = 0; n < count; ++n) array.emplace_back((double)Bits(values[n]));
    return tinygltf::Value(std::move(array));
}

// The mesh being written and where its vertices and triangles come from.
struct MeshSource {
    const msMesh* vertices;   // the block whose vertices the triangles use
    const msMesh* triangles;  // the block itself, or one of its geostates
    bool carryVertices;       // a block: every QEV vertex is carried, used or not
};

class MeshWriter {
public:
    MeshWriter(DocumentBuilder& builder, const GltfOptions& options, int32_t boneCount)
        : builder_(builder), options_(options), boneCount_(boneCount) {}

    tinygltf::Primitive Write(const MeshSource& source) {
        CollectVertices(source);
        tinygltf::Primitive primitive;
        if (keys_.empty()) {
            // glTF has no empty primitive: one point stands for an empty mesh,
            // and the mesh's extras say that it holds nothing.
            keys_.push_back({0xFFFFFFFFu, {0, 0, 0}, {0, 0}});
            primitive.mode = TINYGLTF_MODE_POINTS;
        } else if (source.triangles->triangles.empty()) {
            primitive.mode = TINYGLTF_MODE_POINTS;
        } else {
            primitive.mode = TINYGLTF_MODE_TRIANGLES;
            primitive.indices = WriteIndices();
        }
        WriteAttributes(source, primitive);
        return primitive;
    }

private:
    void CollectVertices(const MeshSource& source) {
        keys_.clear();
        indices_.clear();
        // Open addressing over indices into keys_: no allocation per corner.
        const size_t corners = source.triangles->triangles.size() * 3;
        size_t slots = 16;
        while (slots < corners * 2) slots *= 2;
        std::vector<uint32_t> table(slots, kEmptySlot);
        indices_.reserve(corners);
        keys_.reserve(corners + source.vertices->vertices.size() + 1);
        std::vector<bool> used(source.vertices->vertices.size(), false);
        const CornerKeyHash hash;
        for (const msTriangle& triangle : source.triangles->triangles) {
            for (int c = 0; c < 3; ++c) {
                CornerKey key;
                key.vertex = triangle.vertexIndices[c];
                for (int k = 0; k < 3; ++k) key.normal[k] = Bits(triangle.ex.normals[c][k]);
                for (int k = 0; k < 2; ++k) key.uv[k] = Bits(triangle.ex.texCoords[c][k]);
                size_t slot = hash(key) & (slots - 1);
                while (table[slot] != kEmptySlot && !(keys_[table[slot]] == key)) slot = (slot + 1) & (slots - 1);
                if (table[slot] == kEmptySlot) {
                    table[slot] = (uint32_t)keys_.size();
                    keys_.push_back(key);
                }
                indices_.push_back(table[slot]);
                if (key.vertex < used.size()) used[key.vertex] = true;
            }
        }
        if (!source.carryVertices) return;
        // Vertices no corner uses still belong to the block.
        for (size_t v = 0; v < used.size(); ++v)
            if (!used[v]) keys_.push_back({(uint32_t)v, {Bits(0.f), Bits(0.f), Bits(1.f)}, {0, 0}});
    }

    int WriteIndices() {
        Column column;
        const bool wide = keys_.size() > 65535;  // 65535 is the primitive restart value
        for (uint32_t i : indices_) {
            if (wide) column.Push<uint32_t>(i);
            else column.Push<uint16_t>((uint16_t)i);
        }
        return builder_.AddAccessor(column, indices_.size(),
                                    wide ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT : TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                    TINYGLTF_TYPE_SCALAR, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    }

    void WriteAttributes(const MeshSource& source, tinygltf::Primitive& primitive) {
        const auto& vertices = source.vertices->vertices;
        const size_t count = keys_.size();
        static const msVertex kNoVertex;
        auto vertexOf = [&](const CornerKey& key) -> const msVertex& {
            return key.vertex < vertices.size() ? vertices[key.vertex] : kNoVertex;
        };

        Column position, normal, texCoord, qevVertex, exactPosition, exactNormal, exactTexCoord;
        position.Reserve(count, 12), normal.Reserve(count, 12), texCoord.Reserve(count, 8);
        qevVertex.Reserve(count, 4), exactPosition.Reserve(count, 12), exactNormal.Reserve(count, 12);
        exactTexCoord.Reserve(count, 8);
        bool needPosition = false, needNormal = false, needTexCoord = false;
        double minimum[3] = {INFINITY, INFINITY, INFINITY}, maximum[3] = {-INFINITY, -INFINITY, -INFINITY};
        for (const CornerKey& key : keys_) {
            const msVertex& vertex = vertexOf(key);
            float p[3];
            for (int k = 0; k < 3; ++k) {
                p[k] = options_.scale == 1.0 ? vertex.position[k] : ToFloat(vertex.position[k] * options_.scale);
                exactPosition.Push<uint32_t>(Bits(p[k]));
            }
            const bool finite = std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
            needPosition |= !finite;
            for (int k = 0; k < 3; ++k) {
                const float shown = finite ? p[k] : 0.0f;
                position.Push<float>(shown);
                minimum[k] = std::min(minimum[k], (double)shown);
                maximum[k] = std::max(maximum[k], (double)shown);
            }

            float n[3];
            memcpy(n, key.normal, sizeof(n));
            float unit[3];
            UnitNormal(n, unit);
            for (int k = 0; k < 3; ++k) {
                normal.Push<float>(unit[k]);
                exactNormal.Push<uint32_t>(key.normal[k]);
                needNormal |= Bits(unit[k]) != key.normal[k];
            }

            float uv[2];
            memcpy(uv, key.uv, sizeof(uv));
            if (options_.flipV) uv[1] = (float)(1.0 - (double)uv[1]);
            const bool uvFinite = std::isfinite(uv[0]) && std::isfinite(uv[1]);
            needTexCoord |= !uvFinite;
            for (int k = 0; k < 2; ++k) {
                texCoord.Push<float>(uvFinite ? uv[k] : 0.0f);
                exactTexCoord.Push<uint32_t>(Bits(uv[k]));
            }
            qevVertex.Push<uint32_t>(key.vertex);
        }

        auto& attributes = primitive.attributes;
        attributes["POSITION"] = builder_.AddAccessor(position, count, TINYGLTF_COMPONENT_TYPE_FLOAT, TINYGLTF_TYPE_VEC3,
                                                      TINYGLTF_TARGET_ARRAY_BUFFER, {minimum[0], minimum[1], minimum[2]},
                                                      {maximum[0], maximum[1], maximum[2]});
        attributes["NORMAL"] = AddFloats(normal, count, TINYGLTF_TYPE_VEC3);
        attributes["TEXCOORD_0"] = AddFloats(texCoord, count, TINYGLTF_TYPE_VEC2);
        AddWords(primitive, kVertexAttribute, qevVertex, count, 1);
        if (needPosition) AddWords(primitive, kPositionAttribute, exactPosition, count, 3);
        if (needNormal) AddWords(primitive, kNormalAttribute, exactNormal, count, 3);
        if (needTexCoord) AddWords(primitive, kTexCoordAttribute, exactTexCoord, count, 2);

        if (boneCount_ > 0) {
            Column joints, weights;
            joints.Reserve(count, 8), weights.Reserve(count, 16);
            for (const CornerKey& key : keys_) {
                const JointWeights influences = GltfInfluences(vertexOf(key), boneCount_);
                for (int k = 0; k < 4; ++k) joints.Push<uint16_t>(influences.joints[k]);
                for (int k = 0; k < 4; ++k) weights.Push<float>(influences.weights[k]);
            }
            attributes["JOINTS_0"] = builder_.AddAccessor(joints, count, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                                          TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER);
            attributes["WEIGHTS_0"] = AddFloats(weights, count, TINYGLTF_TYPE_VEC4);
        }

        if (!source.carryVertices) return;
        // The vertex's own fields, exactly as the model holds them.
        Column bones, percentages, extra;
        bones.Reserve(count, 16), percentages.Reserve(count, 12), extra.Reserve(count, 8);
        for (const CornerKey& key : keys_) {
            const msVertex& vertex = vertexOf(key);
            bones.Push<uint32_t>((uint32_t)vertex.boneIndex);
            for (int k = 0; k < 3; ++k) bones.Push<uint32_t>((uint32_t)vertex.ex.boneIndices[k]);
            for (int k = 0; k < 3; ++k) percentages.Push<uint32_t>((uint32_t)vertex.ex.boneWeights[k]);
            for (int k = 0; k < 2; ++k) extra.Push<uint32_t>(vertex.ex.extra[k]);
        }
        AddWords(primitive, kBonesAttribute, bones, count, 4);
        AddWords(primitive, kWeightsAttribute, percentages, count, 3);
        AddWords(primitive, kExtraAttribute, extra, count, 2);
    }

    static void UnitNormal(const float n[3], float unit[3]) {
        const double x = n[0], y = n[1], z = n[2];
        const double length = std::sqrt(x * x + y * y + z * z);
        if (!(length > 0) || !std::isfinite(length)) {
            unit[0] = 0, unit[1] = 0, unit[2] = 1;
            return;
        }
        unit[0] = (float)(x / length), unit[1] = (float)(y / length), unit[2] = (float)(z / length);
    }

    int AddFloats(const Column& column, size_t count, int type) {
        return builder_.AddAccessor(column, count, TINYGLTF_COMPONENT_TYPE_FLOAT, type, TINYGLTF_TARGET_ARRAY_BUFFER);
    }
    // 32-bit words per vertex as pairs of unsigned shorts (low half first, so
    // the bytes are the words' own): glTF allows no UNSIGNED_INT attribute.
    // Up to two words make one attribute; more are split into name_0, name_1
    // over one interleaved view.
    void AddWords(tinygltf::Primitive& primitive, const char* name, const Column& column, size_t count, int words) {
        const int view = builder_.AddView(column, TINYGLTF_TARGET_ARRAY_BUFFER, words > 2 ? 4 * words : 0);
        for (int part = 0; 2 * part < words; ++part) {
            const int partWords = std::min(2, words - 2 * part);
            const std::string partName = words > 2 ? std::string(name) + "_" + std::to_string(part) : name;
            primitive.attributes[partName] = builder_.AddAccessorOn(
                view, 8 * part, count, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                partWords == 2 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC2);
        }
    }

    DocumentBuilder& builder_;
    const GltfOptions& options_;
    int32_t boneCount_;
    std::vector<CornerKey> keys_;
    std::vector<uint32_t> indices_;
};

void WriteSkin(const msModel& model, const GltfOptions& options, DocumentBuilder& builder, tinygltf::Model& document,
               int rootNode) {
    tinygltf::Skin skin;
    skin.name = "qev_skeleton";
    skin.skeleton = rootNode;
    skin.joints.push_back(rootNode);
    Column matrices;
    for (double v : Identity()) matrices.Push<float>((float)v);
    for (const msBone& bone : model.bones) {
        float position[3];
        for (int k = 0; k < 3; ++k)
            position[k] = options.scale == 1.0 ? bone.position[k] : ToFloat(bone.position[k] * options.scale);
        double translation[3];
        Quaternion rotation;
        BoneNodePose(position, bone.rotation, translation, rotation);
        tinygltf::Node node;
        node.name = qevmodel::Latin1ToUtf8(bone.name);
        node.translation.assign(translation, translation + 3);
        node.rotation.assign(rotation.begin(), rotation.end());
        if (node.translation == std::vector<double>{0, 0, 0}) node.translation.clear();
        if (node.rotation == std::vector<double>{0, 0, 0, 1}) node.rotation.clear();
        tinygltf::Value::Object fields;
        fields["kind"] = tinygltf::Value(std::string("bone"));
        fields["position"] = BitsArray(position, 3);
        fields["rotation"] = BitsArray(bone.rotation, 3);
        node.extras = QevExtras(std::move(fields));
        document.nodes.push_back(node);
        const int index = (int)document.nodes.size() - 1;
        document.nodes[rootNode].children.push_back(index);
        skin.joints.push_back(index);

        const Matrix inverse = InverseRigid(PoseMatrix(translation, rotation));
        for (int k = 0; k < 16; ++k) {
            const bool lastRow = k % 4 == 3;
            matrices.Push<float>(lastRow ? (k == 15 ? 1.0f : 0.0f) : ToFloat(inverse[k]));
        }
    }
    skin.inverseBindMatrices = builder.AddAccessor(matrices, model.bones.size() + 1, TINYGLTF_COMPONENT_TYPE_FLOAT,
                                                   TINYGLTF_TYPE_MAT4, -1);
    document.skins.push_back(skin);
}

}  // namespace

void BuildGltfDocument(const msModel& model, const GltfOptions& options, tinygltf::Model& document) {
    document = tinygltf::Model();
    document.asset.version = "2.0";
    document.asset.generator = "qev convert";
    DocumentBuilder builder(document);

    tinygltf::Scene mainScene, geostateScene;
    mainScene.name = "model";
    geostateScene.name = "geostates";

    const bool skinned = !model.bones.empty();
    int rootNode = -1;
    if (skinned) {
        tinygltf::Node root;
        root.name = kRootNodeName;
        root.extras = QevExtras({{"kind", tinygltf::Value(std::string("root"))}});
        document.nodes.push_back(root);
        rootNode = 0;
        WriteSkin(model, options, builder, document, rootNode);
    }

    // Room for every mesh's vertices at their largest (one per corner, plus the
    // unused ones), so the buffer is not copied as it grows; pages never
    // written are never touched.
    size_t room = 64 * (model.bones.size() + 1) + 4096;
    for (const msMesh& mesh : model.meshes) room += (mesh.triangles.size() * 3 + mesh.vertices.size() + 1) * 112;
    document.buffers[0].data.reserve(room);

    MeshWriter writer(builder, options, (int32_t)model.bones.size());
    const msMesh* block = nullptr;
    int blockNumber = -1, geostateNumber = 0;
    for (const msMesh& mesh : model.meshes) {
        // On import a block's geostates follow it as meshes with triangles but no vertices.
        const bool geostate = block && mesh.vertices.empty() && !mesh.triangles.empty();
        tinygltf::Mesh gltfMesh;
        tinygltf::Value::Object fields;
        if (geostate) {
            gltfMesh.name = qevmodel::Latin1ToUtf8(block->name) + " geostate " + std::to_string(geostateNumber);
            fields["kind"] = tinygltf::Value(std::string("geostate"));
            fields["block"] = tinygltf::Value(blockNumber);
            fields["geostate"] = tinygltf::Value(geostateNumber);
            fields["triangles"] = tinygltf::Value((int)mesh.triangles.size());
            fields["name"] = tinygltf::Value(qevmodel::Latin1ToUtf8(mesh.name));
            gltfMesh.primitives.push_back(writer.Write({block, &mesh, false}));
            ++geostateNumber;
        } else {
            block = &mesh;
            ++blockNumber;
            geostateNumber = 0;
            gltfMesh.name = qevmodel::Latin1ToUtf8(mesh.name);
            fields["kind"] = tinygltf::Value(std::string("block"));
            fields["block"] = tinygltf::Value(blockNumber);
            fields["vertices"] = tinygltf::Value((int)mesh.vertices.size());
            fields["triangles"] = tinygltf::Value((int)mesh.triangles.size());
            gltfMesh.primitives.push_back(writer.Write({&mesh, &mesh, true}));
        }
        gltfMesh.extras = QevExtras(std::move(fields));
        document.meshes.push_back(std::move(gltfMesh));

        tinygltf::Node node;
        node.name = document.meshes.back().name;
        node.mesh = (int)document.meshes.size() - 1;
        if (skinned) node.skin = 0;
        document.nodes.push_back(node);
        (geostate ? geostateScene : mainScene).nodes.push_back((int)document.nodes.size() - 1);
    }
    builder.Finish();

    if (skinned) mainScene.nodes.push_back(rootNode);
    document.scenes.push_back(mainScene);
    if (!geostateScene.nodes.empty()) {
        if (skinned) geostateScene.nodes.push_back(rootNode);
        document.scenes.push_back(geostateScene);
    }
    document.defaultScene = 0;
    if (document.buffers[0].data.empty()) document.buffers.clear();
}

}  // namespace gltfqev
