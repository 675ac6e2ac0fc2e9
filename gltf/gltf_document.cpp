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


struct CornerKeyHash {
    size_t operator()(const CornerKey& k) const {
        uint64_t h = 1469598103934665603ull;
        const uint32_t* words = &k.vertex;
        for (int n = 0; n < 6; ++n) h = (h ^ words[n]) * 1099511628211ull;
        return (size_t)(h ^ (h >> 29));
    }
};

// One accessor's values, packed, ready for the buffer. Its storage is kept
// from one mesh to the next, so its pages are touched once per conversion
// rather than once per mesh.
struct Column {
    std::vector<unsigned char> bytes;
    size_t used = 0;
    bool filled = true;  // false: only its length is known (a layout pass)
    void Reserve(size_t count, size_t size) {
        if (bytes.size() < count * size) bytes.resize(count * size);
        used = 0;
        filled = true;
    }
    // count values of size bytes each, written through the pointer returned
    // (null when only the length is wanted).
    unsigned char* Begin(size_t count, size_t size, bool fill) {
        filled = fill;
        used = count * size;
        if (!fill) return nullptr;
        if (bytes.size() < used) bytes.resize(used);
        return bytes.data();
    }
    template <typename T>
    void Push(T value) {
        if (used + sizeof(T) > bytes.size()) bytes.resize(std::max<size_t>(2 * bytes.size(), used + sizeof(T)));
        memcpy(bytes.data() + used, &value, sizeof(T));
        used += sizeof(T);
    }
};

template <typename T>
inline void Put(unsigned char*& at, T value) {
    memcpy(at, &value, sizeof(T));
    at += sizeof(T);
}

// The document's one buffer, in order: each column's bytes go to the sink as
// its view is added, so the whole buffer need never be held at once.
class DocumentBuilder {
public:
    DocumentBuilder(tinygltf::Model& document, BinSink& sink) : document_(document), sink_(sink) {
        document_.buffers.emplace_back();
    }

    size_t Length() const { return length_; }
    bool WantsBytes() const { return sink_.WantsBytes(); }

    int AddView(const Column& column, int target, size_t stride = 0) {
        Align();
        tinygltf::BufferView view;
        view.buffer = 0;
        view.byteOffset = length_;
        view.byteLength = column.used;
        view.byteStride = stride;
        view.target = target;
        if (sink_.WantsBytes()) sink_.Append(column.bytes.data(), column.used);
        length_ += column.used;
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

    void Align() {
        static const unsigned char kZeros[4] = {0, 0, 0, 0};
        const size_t padding = (4 - length_ % 4) % 4;
        sink_.Append(kZeros, padding);
        length_ += padding;
    }

private:
    tinygltf::Model& document_;
    BinSink& sink_;
    size_t length_ = 0;
};

// The plain case: the buffer's bytes in the document itself.
class DocumentBufferSink : public BinSink {
public:
    explicit DocumentBufferSink(std::vector<unsigned char>& data) : data_(data) {}
    void Append(const unsigned char* bytes, size_t size) override { data_.insert(data_.end(), bytes, bytes + size); }
    bool WantsBytes() const override { return true; }

private:
    std::vector<unsigned char>& data_;
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
    // The mesh's distinct corners, in the order they first appear. A vertex's
    // corners are found through a short chain per QEV vertex: a mesh's
    // triangles mostly use nearby vertices, so the chain's keys were made
    // recently and are still in cache, where a table over the whole mesh
    // would miss it on nearly every corner. A vertex with more than
    // kChainLength distinct corners keeps the rest in such a table, so no
    // mesh (a fan of thousands of corners around one vertex) makes the
    // search slow.
    void CollectVertices(const MeshSource& source) {
        keys_.clear();
        indices_.clear();
        chainNext_.clear();
        const size_t corners = source.triangles->triangles.size() * 3;
        indices_.reserve(corners);
        keys_.reserve(corners + source.vertices->vertices.size() + 1);
        chainNext_.reserve(corners);
        chainHead_.assign(65536, kNoKey);
        chainLength_.assign(65536, 0);
        overflowSlots_ = 0;
        for (const msTriangle& triangle : source.triangles->triangles) {
            for (int c = 0; c < 3; ++c) {
                CornerKey key;
                key.vertex = triangle.vertexIndices[c];
                for (int k = 0; k < 3; ++k) key.normal[k] = Bits(triangle.ex.normals[c][k]);
                for (int k = 0; k < 2; ++k) key.uv[k] = Bits(triangle.ex.texCoords[c][k]);
                indices_.push_back(FindOrAdd(key, corners));
            }
        }
        if (!source.carryVertices) return;
        // Vertices no corner uses still belong to the block.
        const size_t vertexCount = source.vertices->vertices.size();
        for (size_t v = 0; v < vertexCount; ++v)
            if (v >= chainHead_.size() || chainHead_[v] == kNoKey)
                keys_.push_back({(uint32_t)v, {Bits(0.f), Bits(0.f), Bits(1.f)}, {0, 0}});
    }

    uint32_t FindOrAdd(const CornerKey& key, size_t corners) {
        const uint32_t vertex = key.vertex;  // a triangle's 16-bit index: every vertex has a chain
        for (uint32_t at = chainHead_[vertex]; at != kNoKey; at = chainNext_[at])
            if (keys_[at] == key) return at;
        const uint32_t index = (uint32_t)keys_.size();
        if (chainLength_[vertex] < kChainLength) {
            ++chainLength_[vertex];
            chainNext_.push_back(chainHead_[vertex]);
            chainHead_[vertex] = index;
            keys_.push_back(key);
            return index;
        }
        // A crowded vertex: its further corners go to the table.
        if (overflowSlots_ == 0) {
            overflowSlots_ = 16;
            while (overflowSlots_ < corners * 2) overflowSlots_ *= 2;
            table_.assign(overflowSlots_, kNoKey);
        }
        const CornerKeyHash hash;
        size_t slot = hash(key) & (overflowSlots_ - 1);
        while (table_[slot] != kNoKey && !(keys_[table_[slot]] == key)) slot = (slot + 1) & (overflowSlots_ - 1);
        if (table_[slot] != kNoKey) return table_[slot];
        table_[slot] = index;
        chainNext_.push_back(kNoKey);  // keeps chainNext_ beside keys_
        keys_.push_back(key);
        return index;
    }

    int WriteIndices() {
        Column& column = indexColumn_;
        const bool wide = keys_.size() > 65535;  // 65535 is the primitive restart value
        unsigned char* at = column.Begin(indices_.size(), wide ? 4 : 2, builder_.WantsBytes());
        if (at && wide) memcpy(at, indices_.data(), indices_.size() * 4);
        else if (at)
            for (uint32_t i : indices_) Put<uint16_t>(at, (uint16_t)i);
        return builder_.AddAccessor(column, indices_.size(),
                                    wide ? TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT : TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                    TINYGLTF_TYPE_SCALAR, TINYGLTF_TARGET_ELEMENT_ARRAY_BUFFER);
    }

    void WriteAttributes(const MeshSource& source, tinygltf::Primitive& primitive) {
        const auto& vertices = source.vertices->vertices;
        const size_t count = keys_.size();
        static const msVertex kNoVertex;
        // The deque's items by index once, rather than through its map per corner.
        vertexAt_.clear();
        for (const msVertex& vertex : vertices) vertexAt_.push_back(&vertex);
        vertexAt_.push_back(&kNoVertex);
        auto vertexOf = [&](const CornerKey& key) -> const msVertex& {
            return *vertexAt_[std::min<size_t>(key.vertex, vertices.size())];
        };

        // A layout pass only needs what decides the layout: which exact-value
        // attributes are needed and the position bounds.
        const bool fill = builder_.WantsBytes();
        Column &position = columns_[0], &normal = columns_[1], &texCoord = columns_[2], &qevVertex = columns_[3],
               &exactPosition = columns_[4], &exactNormal = columns_[5], &exactTexCoord = columns_[6];
        unsigned char* positionAt = position.Begin(count, 12, fill);
        unsigned char* normalAt = normal.Begin(count, 12, fill);
        unsigned char* texCoordAt = texCoord.Begin(count, 8, fill);
        unsigned char* qevVertexAt = qevVertex.Begin(count, 4, fill);
        bool needPosition = false, needNormal = false, needTexCoord = false;
        double minimum[3] = {INFINITY, INFINITY, INFINITY}, maximum[3] = {-INFINITY, -INFINITY, -INFINITY};
        for (const CornerKey& key : keys_) {
            const msVertex& vertex = vertexOf(key);
            float p[3];
            for (int k = 0; k < 3; ++k)
                p[k] = options_.scale == 1.0 ? vertex.position[k] : ToFloat(vertex.position[k] * options_.scale);
            const bool finite = std::isfinite(p[0]) && std::isfinite(p[1]) && std::isfinite(p[2]);
            needPosition |= !finite;
            float shown[3];
            for (int k = 0; k < 3; ++k) {
                shown[k] = finite ? p[k] : 0.0f;
                minimum[k] = std::min(minimum[k], (double)shown[k]);
                maximum[k] = std::max(maximum[k], (double)shown[k]);
            }

            float n[3];
            memcpy(n, key.normal, sizeof(n));
            float unit[3];
            UnitNormal(n, unit);
            needNormal |= Bits(unit[0]) != key.normal[0] || Bits(unit[1]) != key.normal[1] ||
                          Bits(unit[2]) != key.normal[2];

            float uv[2];
            memcpy(uv, key.uv, sizeof(uv));
            if (options_.flipV) uv[1] = (float)(1.0 - (double)uv[1]);
            const bool uvFinite = std::isfinite(uv[0]) && std::isfinite(uv[1]);
            needTexCoord |= !uvFinite;
            if (!fill) continue;
            for (int k = 0; k < 3; ++k) {
                Put<float>(positionAt, shown[k]);
                Put<float>(normalAt, unit[k]);
            }
            for (int k = 0; k < 2; ++k) Put<float>(texCoordAt, uvFinite ? uv[k] : 0.0f);
            Put<uint32_t>(qevVertexAt, key.vertex);
        }
        // The exact values, only where glTF's attributes do not hold them
        // (rare but for normals): filled in passes of their own, so the
        // usual mesh touches no memory for them.
        unsigned char* exactPositionAt = exactPosition.Begin(count, 12, fill && needPosition);
        unsigned char* exactNormalAt = exactNormal.Begin(count, 12, fill && needNormal);
        unsigned char* exactTexCoordAt = exactTexCoord.Begin(count, 8, fill && needTexCoord);
        for (size_t g = 0; (exactPositionAt || exactNormalAt || exactTexCoordAt) && g < count; ++g) {
            const CornerKey& key = keys_[g];
            if (exactPositionAt) {
                const msVertex& vertex = vertexOf(key);
                for (int k = 0; k < 3; ++k)
                    Put<uint32_t>(exactPositionAt, Bits(options_.scale == 1.0 ? vertex.position[k]
                                                                              : ToFloat(vertex.position[k] * options_.scale)));
            }
            if (exactNormalAt)
                for (int k = 0; k < 3; ++k) Put<uint32_t>(exactNormalAt, key.normal[k]);
            if (exactTexCoordAt) {
                float uv[2];
                memcpy(uv, key.uv, sizeof(uv));
                if (options_.flipV) uv[1] = (float)(1.0 - (double)uv[1]);
                for (int k = 0; k < 2; ++k) Put<uint32_t>(exactTexCoordAt, Bits(uv[k]));
            }
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

        // Influences per QEV vertex, worked out once rather than per corner.
        bool influencesExact = boneCount_ > 0;
        if (boneCount_ > 0) {
            influences_.clear();
            for (const msVertex& vertex : vertices) {
                influences_.push_back(GltfInfluences(vertex, boneCount_));
                if (source.carryVertices && influencesExact)
                    influencesExact = GltfInfluencesGiveBack(influences_.back(), vertex);
            }
            influences_.push_back(GltfInfluences(kNoVertex, boneCount_));
            Column &joints = columns_[7], &weights = columns_[8];
            unsigned char* jointsAt = joints.Begin(count, 8, fill);
            unsigned char* weightsAt = weights.Begin(count, 16, fill);
            for (size_t g = 0; fill && g < count; ++g) {
                const JointWeights& influences = influences_[std::min<size_t>(keys_[g].vertex, vertices.size())];
                for (int k = 0; k < 4; ++k) Put<uint16_t>(jointsAt, influences.joints[k]);
                for (int k = 0; k < 4; ++k) Put<float>(weightsAt, influences.weights[k]);
            }
            attributes["JOINTS_0"] = builder_.AddAccessor(joints, count, TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT,
                                                          TINYGLTF_TYPE_VEC4, TINYGLTF_TARGET_ARRAY_BUFFER);
            attributes["WEIGHTS_0"] = AddFloats(weights, count, TINYGLTF_TYPE_VEC4);
        }

        if (!source.carryVertices) return;
        // The vertex's own fields, exactly as the model holds them, where
        // glTF's attributes do not already: the bone fields when JOINTS_0 and
        // WEIGHTS_0 give other values back, the extra values unless all are 0
        // (what a vertex read without them holds).
        bool anyExtra = false;
        for (const msVertex& vertex : vertices) anyExtra = anyExtra || vertex.ex.extra[0] || vertex.ex.extra[1];
        if (!influencesExact) {
            Column &bones = columns_[9], &percentages = columns_[10];
            unsigned char* bonesAt = bones.Begin(count, 16, fill);
            unsigned char* percentagesAt = percentages.Begin(count, 12, fill);
            for (size_t g = 0; fill && g < count; ++g) {
                const msVertex& vertex = vertexOf(keys_[g]);
                Put<uint32_t>(bonesAt, (uint32_t)vertex.boneIndex);
                for (int k = 0; k < 3; ++k) Put<uint32_t>(bonesAt, (uint32_t)vertex.ex.boneIndices[k]);
                for (int k = 0; k < 3; ++k) Put<uint32_t>(percentagesAt, (uint32_t)vertex.ex.boneWeights[k]);
            }
            AddWords(primitive, kBonesAttribute, bones, count, 4);
            AddWords(primitive, kWeightsAttribute, percentages, count, 3);
        }
        if (anyExtra) {
            Column& extra = columns_[11];
            unsigned char* extraAt = extra.Begin(count, 8, fill);
            for (size_t g = 0; fill && g < count; ++g)
                for (int k = 0; k < 2; ++k) Put<uint32_t>(extraAt, vertexOf(keys_[g]).ex.extra[k]);
            AddWords(primitive, kExtraAttribute, extra, count, 2);
        }
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
    std::vector<const msVertex*> vertexAt_;  // per QEV vertex, the last for a corner naming none
    std::vector<JointWeights> influences_;  // per QEV vertex, the last for a corner naming none
    static constexpr uint32_t kNoKey = 0xFFFFFFFFu;  // no key has this index: a mesh has fewer corners
    static constexpr uint8_t kChainLength = 32;
    std::vector<uint32_t> chainHead_;   // per QEV vertex: its latest key, kNoKey when none yet
    std::vector<uint8_t> chainLength_;  // per QEV vertex
    std::vector<uint32_t> chainNext_;   // per key: the vertex's key made before it
    std::vector<uint32_t> table_;       // keys of crowded vertices, by open addressing
    size_t overflowSlots_ = 0;
    Column indexColumn_;
    Column columns_[12];
};

void WriteSkin(const msModel& model, const GltfOptions& options, DocumentBuilder& builder, tinygltf::Model& document,
               int rootNode) {
    tinygltf::Skin skin;
    skin.name = "qev_skeleton";
    skin.skeleton = rootNode;
    skin.joints.push_back(rootNode);
    Column matrices;
    matrices.Reserve(model.bones.size() + 1, 64);
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
    std::vector<unsigned char> data;
    DocumentBufferSink sink(data);
    // Room for every mesh's vertices at their largest (one per corner, plus the
    // unused ones), so the buffer is not copied as it grows; pages never
    // written are never touched.
    size_t room = 64 * (model.bones.size() + 1) + 4096;
    for (const msMesh& mesh : model.meshes) room += (mesh.triangles.size() * 3 + mesh.vertices.size() + 1) * 112;
    data.reserve(room);
    if (BuildGltfDocument(model, options, document, sink) > 0) document.buffers[0].data.swap(data);
}

size_t BuildGltfDocument(const msModel& model, const GltfOptions& options, tinygltf::Model& document, BinSink& sink) {
    document = tinygltf::Model();
    document.asset.version = "2.0";
    document.asset.generator = "qev convert";
    DocumentBuilder builder(document, sink);

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
    builder.Align();

    if (skinned) mainScene.nodes.push_back(rootNode);
    document.scenes.push_back(mainScene);
    if (!geostateScene.nodes.empty()) {
        if (skinned) geostateScene.nodes.push_back(rootNode);
        document.scenes.push_back(geostateScene);
    }
    document.defaultScene = 0;
    if (builder.Length() == 0) document.buffers.clear();
    return builder.Length();
}

}  // namespace gltfqev
