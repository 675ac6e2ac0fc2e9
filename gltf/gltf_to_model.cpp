#include "gltf_to_model.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <sys/mman.h>

#include <nlohmann/json.hpp>

#include "model_adjust.h"
#include "model_json.h"
#include "name_text.h"
#include "read_context.h"
#include "vertex_influences.h"

namespace gltfqev {
namespace {

const tinygltf::Value& QevExtras(const tinygltf::Value& extras) {
    static const tinygltf::Value kNone;
    return extras.IsObject() && extras.Has(kExtrasKey) ? extras.Get(kExtrasKey) : kNone;
}

std::string ExtrasKind(const tinygltf::Value& extras) {
    const tinygltf::Value& qev = QevExtras(extras);
    if (!qev.IsObject() || !qev.Has("kind") || !qev.Get("kind").IsString()) return "";
    return qev.Get("kind").Get<std::string>();
}

// A whole number in [0, limit] from the extras, or fails naming where.
size_t ExtrasCount(const tinygltf::Value& qev, const char* key, const std::string& pointer, size_t limit) {
    const tinygltf::Value& value = qev.Get(key);
    const double number = value.IsNumber() ? value.GetNumberAsDouble() : -1;
    if (!(number >= 0) || number != std::floor(number) || number > (double)limit)
        Fail(pointer + "/extras/qev/" + key, "not a count this file can hold (at most " + std::to_string(limit) + ")");
    return (size_t)number;
}

// Floats stored as their bits in an extras array of three numbers; false if not that.
bool ExtrasBits(const tinygltf::Value& qev, const char* key, float out[3]) {
    if (!qev.IsObject() || !qev.Has(key)) return false;
    const tinygltf::Value& array = qev.Get(key);
    if (!array.IsArray() || array.ArrayLen() != 3) return false;
    for (int k = 0; k < 3; ++k) {
        const tinygltf::Value& item = array.Get(k);
        const double number = item.IsNumber() ? item.GetNumberAsDouble() : -1;
        if (!(number >= 0 && number <= 4294967295.0) || number != std::floor(number)) return false;
        const uint32_t bits = (uint32_t)number;
        memcpy(&out[k], &bits, sizeof(bits));
    }
    return true;
}

struct WordColumn {
    bool present = false;
    AccessorValues parts[2];
    uint32_t At(size_t vertex, int word) const { return parts[word / 2].WordOfShorts(vertex, 2 * (word % 2)); }
};

bool IsQevRoot(const tinygltf::Node& node) {
    return node.name == kRootNodeName && ExtrasKind(node.extras) == "root";
}

class Reader {
public:
    explicit Reader(ReadContext& context) : context_(context), document_(context.document) {}

    void Read() {
        CheckRequiredExtensions();
        LinkParents();
        ReadSkins();
        for (size_t n = 0; n < document_.nodes.size(); ++n) {
            const tinygltf::Node& node = document_.nodes[n];
            if (node.mesh < 0) continue;
            if ((size_t)node.mesh >= document_.meshes.size())
                Fail("/nodes/" + std::to_string(n) + "/mesh", "mesh " + std::to_string(node.mesh) + " does not exist");
            if (!ReadOwnMesh((int)n)) ReadForeignMeshNode(context_, (int)n);
        }
        if (context_.overInfluenced > 0)
            context_.warnings.push_back(std::to_string(context_.overInfluenced) +
                                        " vertices have more than four bone influences; the four largest were kept");
        WarnLeftOut();
    }

private:
    void CheckRequiredExtensions() {
        for (size_t i = 0; i < document_.extensionsRequired.size(); ++i) {
            const std::string& name = document_.extensionsRequired[i];
            // Extensions of materials, textures and lights change nothing qev reads.
            const bool harmless = name.rfind("KHR_materials_", 0) == 0 || name.rfind("KHR_texture_", 0) == 0 ||
                                  name.rfind("EXT_texture_", 0) == 0 || name == "KHR_lights_punctual";
            if (!harmless)
                Fail("/extensionsRequired/" + std::to_string(i), name + " is required, and qev cannot read it");
        }
    }

    void LinkParents() {
        const size_t count = document_.nodes.size();
        context_.parent.assign(count, -1);
        for (size_t n = 0; n < count; ++n) {
            const std::vector<int>& children = document_.nodes[n].children;
            for (size_t c = 0; c < children.size(); ++c) {
                const int child = children[c];
                const std::string pointer = "/nodes/" + std::to_string(n) + "/children/" + std::to_string(c);
                if (child < 0 || (size_t)child >= count)
                    Fail(pointer, "node " + std::to_string(child) + " does not exist");
                if (context_.parent[child] != -1 || child == (int)n)
                    Fail(pointer, "node " + std::to_string(child) + " has more than one parent");
                context_.parent[child] = (int)n;
            }
        }
        // Every node must reach a root: a loop would never end.
        for (size_t n = 0; n < count; ++n) {
            int at = (int)n;
            for (size_t steps = 0; at != -1; ++steps, at = context_.parent[at])
                if (steps > count) Fail("/nodes/" + std::to_string(n), "its parents form a loop");
        }
    }

    void ReadSkins() {
        context_.jointBones.resize(document_.skins.size());
        for (size_t s = 0; s < document_.skins.size(); ++s) {
            const tinygltf::Skin& skin = document_.skins[s];
            const std::string pointer = "/skins/" + std::to_string(s);
            for (size_t j = 0; j < skin.joints.size(); ++j)
                if (skin.joints[j] < 0 || (size_t)skin.joints[j] >= document_.nodes.size())
                    Fail(pointer + "/joints/" + std::to_string(j),
                         "node " + std::to_string(skin.joints[j]) + " does not exist");
            AccessorValues matrices;
            const bool haveMatrices = skin.inverseBindMatrices >= 0;
            if (haveMatrices) {
                matrices = OpenAccessor(document_, context_.buffers, skin.inverseBindMatrices, pointer + "/inverseBindMatrices",
                                        {TINYGLTF_TYPE_MAT4}, {TINYGLTF_COMPONENT_TYPE_FLOAT});
                if (matrices.count < skin.joints.size())
                    Fail(pointer + "/inverseBindMatrices", std::to_string(matrices.count) + " matrices for " +
                                                               std::to_string(skin.joints.size()) + " joints");
            }
            // qev's own skin: joint 0 is its root, the others are the model's bones in order.
            const bool own = !skin.joints.empty() && IsQevRoot(document_.nodes[skin.joints[0]]);
            for (size_t j = 0; j < skin.joints.size(); ++j) {
                const int nodeIndex = skin.joints[j];
                if (own && j == 0) {
                    context_.jointBones[s].push_back(-1);
                    continue;
                }
                const tinygltf::Node& node = document_.nodes[nodeIndex];
                const std::string name =
                    context_.Latin1Name(node.name.empty() ? "joint_" + std::to_string(nodeIndex) : node.name);
                if (!own) {
                    auto existing = context_.model.boneIndexByName.find(name);
                    if (existing != context_.model.boneIndexByName.end() && !existing->second.empty()) {
                        context_.jointBones[s].push_back(*existing->second.begin());
                        continue;
                    }
                }
                msBone& bone = qevmodel::AddBone(context_.model, name);
                context_.jointBones[s].push_back(bone.index);
                if (own && StoredPose(node, bone)) continue;
                Matrix pose;
                if (haveMatrices) {
                    Matrix inverseBind;
                    for (int k = 0; k < 16; ++k) inverseBind[k] = matrices.Float(j, k);
                    if (!Inverse(inverseBind, pose))
                        Fail(pointer + "/inverseBindMatrices",
                             "matrix " + std::to_string(j) + " cannot be inverted");
                } else {
                    pose = context_.WorldMatrix(nodeIndex);
                }
                double position[3], angles[3];
                DecomposePose(pose, position, angles);
                for (int k = 0; k < 3; ++k) {
                    bone.position[k] = ToFloat(position[k]);
                    bone.rotation[k] = ToFloat(angles[k]);
                }
            }
        }
    }

    // A bone node qev wrote carries its exact values; they are used only while
    // the node still shows them (a tool that moved the bone wins).
    static bool StoredPose(const tinygltf::Node& node, msBone& bone) {
        const tinygltf::Value& qev = QevExtras(node.extras);
        float position[3], rotation[3];
        if (!ExtrasBits(qev, "position", position) || !ExtrasBits(qev, "rotation", rotation)) return false;
        double translation[3];
        Quaternion quaternion;
        BoneNodePose(position, rotation, translation, quaternion);
        const std::vector<double> shownTranslation =
            node.translation.size() == 3 ? node.translation : std::vector<double>{0, 0, 0};
        const std::vector<double> shownRotation =
            node.rotation.size() == 4 ? node.rotation : std::vector<double>{0, 0, 0, 1};
        if (!node.matrix.empty() || !node.scale.empty()) return false;
        for (int k = 0; k < 3; ++k)
            if (shownTranslation[k] != translation[k]) return false;
        for (int k = 0; k < 4; ++k)
            if (shownRotation[k] != quaternion[k]) return false;
        memcpy(bone.position, position, sizeof(position));
        memcpy(bone.rotation, rotation, sizeof(rotation));
        return true;
    }

    // A mesh qev wrote: false when it is not one (or no longer one this reader
    // can restore exactly), so that the foreign rules apply.
    bool ReadOwnMesh(int nodeIndex) {
        const tinygltf::Node& node = document_.nodes[nodeIndex];
        const tinygltf::Mesh& mesh = document_.meshes[node.mesh];
        const std::string kind = ExtrasKind(mesh.extras);
        if (kind != "block" && kind != "geostate") return false;
        if (mesh.primitives.size() != 1 || !mesh.primitives[0].attributes.count(kVertexAttribute)) return false;
        const tinygltf::Value& qev = QevExtras(mesh.extras);
        const tinygltf::Primitive& primitive = mesh.primitives[0];
        const std::string meshPointer = "/meshes/" + std::to_string(node.mesh);
        const std::string pointer = meshPointer + "/primitives/0";
        if (!primitive.attributes.count("POSITION")) Fail(pointer + "/attributes", "no POSITION attribute");
        const AccessorValues positions =
            OpenAccessor(document_, context_.buffers, primitive.attributes.at("POSITION"), pointer + "/attributes/POSITION",
                         {TINYGLTF_TYPE_VEC3}, {TINYGLTF_COMPONENT_TYPE_FLOAT});
        const size_t count = positions.count;
        const WordColumn qevVertex = Words(primitive, kVertexAttribute, 1, pointer, count);

        msMesh* target;
        size_t vertexCount = 0;
        if (kind == "block") {
            vertexCount = ExtrasCount(qev, "vertices", meshPointer, count);
            target = &qevmodel::AddMesh(context_.model, context_.Latin1Name(mesh.name));
            ReadOwnVertices(primitive, pointer, positions, qevVertex, vertexCount, *target);
        } else {
            std::string name;
            if (qev.Has("name") && qev.Get("name").IsString()) name = qev.Get("name").Get<std::string>();
            target = &qevmodel::AddMesh(context_.model, context_.Latin1Name(name));
        }
        ReadOwnTriangles(primitive, pointer, meshPointer, qev, count, qevVertex, *target);
        return true;
    }

    // The 32-bit words of a custom attribute (pairs of unsigned shorts, split
    // into name_0, name_1 beyond two words), read where they lie; not present
    // when the attribute is absent.
    WordColumn Words(const tinygltf::Primitive& primitive, const char* name, int words, const std::string& pointer,
                     size_t count) {
        WordColumn column;
        for (int part = 0; 2 * part < words; ++part) {
            const int partWords = std::min(2, words - 2 * part);
            const std::string partName = words > 2 ? std::string(name) + "_" + std::to_string(part) : name;
            if (!primitive.attributes.count(partName)) {
                if (part == 0) return column;
                Fail(pointer + "/attributes", "no " + partName + " beside " + name + "_0");
            }
            column.parts[part] = OpenAttribute(context_, primitive, partName, pointer, count,
                                               {partWords == 2 ? TINYGLTF_TYPE_VEC4 : TINYGLTF_TYPE_VEC2},
                                               {TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT});
        }
        column.present = true;
        return column;
    }

    static float FromBits(uint32_t bits) {
        float value;
        memcpy(&value, &bits, sizeof(value));
        return value;
    }

    void ReadOwnVertices(const tinygltf::Primitive& primitive, const std::string& pointer,
                         const AccessorValues& positions, const WordColumn& qevVertex, size_t vertexCount,
                         msMesh& mesh) {
        const size_t count = positions.count;
        const WordColumn exact = Words(primitive, kPositionAttribute, 3, pointer, count);
        const WordColumn bones = Words(primitive, kBonesAttribute, 4, pointer, count);
        const WordColumn weights = Words(primitive, kWeightsAttribute, 3, pointer, count);
        const WordColumn extra = Words(primitive, kExtraAttribute, 2, pointer, count);
        // Without their own attributes the bone fields are what JOINTS_0 and
        // WEIGHTS_0 say: qev leaves them out where those give them back exactly.
        const bool fromJoints = (!bones.present || !weights.present) && primitive.attributes.count("JOINTS_0") &&
                                primitive.attributes.count("WEIGHTS_0");
        AccessorValues joints, jointWeights;
        if (fromJoints) {
            joints = OpenAttribute(context_, primitive, "JOINTS_0", pointer, count, {TINYGLTF_TYPE_VEC4},
                                   {TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT});
            jointWeights = OpenAttribute(context_, primitive, "WEIGHTS_0", pointer, count, {TINYGLTF_TYPE_VEC4},
                                         {TINYGLTF_COMPONENT_TYPE_FLOAT});
        }
        mesh.vertices.resize(vertexCount);
        for (size_t g = 0; g < count; ++g) {
            const uint32_t s = qevVertex.At(g, 0);
            if (s >= vertexCount) continue;
            msVertex& vertex = mesh.vertices[s];
            for (int k = 0; k < 3; ++k)
                vertex.position[k] = !exact.present ? positions.FloatComponent(g, k) : FromBits(exact.At(g, k));
            if (fromJoints) {
                JointWeights influences;
                for (int k = 0; k < 4; ++k) {
                    influences.joints[k] = (uint16_t)joints.Unsigned(g, k);
                    influences.weights[k] = jointWeights.FloatComponent(g, k);
                }
                msVertex derived;
                QevInfluencesFromGltf(influences, derived);
                vertex.boneIndex = derived.boneIndex;
                for (int k = 0; k < 3; ++k) vertex.ex.boneIndices[k] = derived.ex.boneIndices[k];
                for (int k = 0; k < 3; ++k) vertex.ex.boneWeights[k] = derived.ex.boneWeights[k];
            }
            if (bones.present) {
                vertex.boneIndex = (int32_t)bones.At(g, 0);
                for (int k = 0; k < 3; ++k) vertex.ex.boneIndices[k] = (int32_t)bones.At(g, 1 + k);
            }
            if (weights.present)
                for (int k = 0; k < 3; ++k) vertex.ex.boneWeights[k] = (int32_t)weights.At(g, k);
            if (extra.present)
                for (int k = 0; k < 2; ++k) vertex.ex.extra[k] = extra.At(g, k);
        }
    }

    void ReadOwnTriangles(const tinygltf::Primitive& primitive, const std::string& pointer,
                          const std::string& meshPointer, const tinygltf::Value& qev, size_t count,
                          const WordColumn& qevVertex, msMesh& mesh) {
        const int mode = primitive.mode < 0 ? TINYGLTF_MODE_TRIANGLES : primitive.mode;
        size_t indexCount = 0;
        AccessorValues indices;
        if (mode == TINYGLTF_MODE_TRIANGLES) {
            if (primitive.indices < 0) Fail(pointer, "no indices");
            indices = OpenAccessor(document_, context_.buffers, primitive.indices, pointer + "/indices", {TINYGLTF_TYPE_SCALAR},
                                   {TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT, TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT});
            indexCount = indices.count;
        } else if (mode != TINYGLTF_MODE_POINTS) {
            Fail(pointer + "/mode", "mode " + std::to_string(mode) + " in a mesh qev wrote");
        }
        const size_t triangles = ExtrasCount(qev, "triangles", meshPointer, indexCount / 3);
        if (triangles * 3 != indexCount)
            Fail(pointer + "/indices", std::to_string(indexCount) + " indices for " + std::to_string(triangles) +
                                           " triangles");
        if (triangles == 0) return;
        const WordColumn exactNormals = Words(primitive, kNormalAttribute, 3, pointer, count);
        const WordColumn exactUvs = Words(primitive, kTexCoordAttribute, 2, pointer, count);
        AccessorValues normals, uvs;
        if (!exactNormals.present)
            normals = OpenAttribute(context_, primitive, "NORMAL", pointer, count, {TINYGLTF_TYPE_VEC3},
                                    {TINYGLTF_COMPONENT_TYPE_FLOAT});
        if (!exactUvs.present)
            uvs = OpenAttribute(context_, primitive, "TEXCOORD_0", pointer, count, {TINYGLTF_TYPE_VEC2},
                                {TINYGLTF_COMPONENT_TYPE_FLOAT});
        for (size_t t = 0; t < triangles; ++t) {
            msTriangle& triangle = mesh.triangles.emplace_back();
            for (int c = 0; c < 3; ++c) {
                const uint32_t g = indices.Unsigned(t * 3 + c, 0);
                if (g >= count)
                    Fail("/accessors/" + std::to_string(primitive.indices),
                         "index " + std::to_string(g) + " (element " + std::to_string(t * 3 + c) +
                             ") names no vertex: POSITION has " + std::to_string(count));
                if (qevVertex.At(g, 0) > 0xFFFF)
                    Fail(pointer + "/attributes/" + kVertexAttribute,
                         "vertex " + std::to_string(g) + " names QEV vertex " + std::to_string(qevVertex.At(g, 0)) +
                             ", beyond what a triangle can index");
                triangle.vertexIndices[c] = (uint16_t)qevVertex.At(g, 0);
                for (int k = 0; k < 3; ++k)
                    triangle.ex.normals[c][k] =
                        !exactNormals.present ? ToFloat(normals.Float(g, k)) : FromBits(exactNormals.At(g, k));
                for (int k = 0; k < 2; ++k)
                    triangle.ex.texCoords[c][k] =
                        !exactUvs.present ? ToFloat(uvs.Float(g, k)) : FromBits(exactUvs.At(g, k));
            }
        }
    }

    void WarnLeftOut() {
        std::vector<std::string> parts;
        auto count = [&](size_t n, const char* one, const char* many) {
            if (n > 0) parts.push_back(std::to_string(n) + " " + (n == 1 ? one : many));
        };
        count(document_.materials.size(), "material", "materials");
        count(document_.textures.size(), "texture", "textures");
        count(document_.images.size(), "image", "images");
        count(document_.animations.size(), "animation", "animations");
        count(document_.cameras.size(), "camera", "cameras");
        count(document_.lights.size(), "light", "lights");
        size_t morphed = 0;
        for (const tinygltf::Mesh& mesh : document_.meshes)
            for (const tinygltf::Primitive& primitive : mesh.primitives) morphed += primitive.targets.empty() ? 0 : 1;
        count(morphed, "primitive's morph targets", "primitives' morph targets");
        if (parts.empty()) return;
        std::string text = "left out, QEV has no place for them:";
        for (size_t i = 0; i < parts.size(); ++i) text += (i ? ", " : " ") + parts[i];
        context_.warnings.push_back(text);
    }

    ReadContext& context_;
    const tinygltf::Model& document_;
};

bool NoImages(tinygltf::Image*, const int, std::string*, std::string*, int, int, const unsigned char*, int, void*) {
    return true;  // images are left out; nothing is decoded
}

bool NoExternalFile(std::vector<unsigned char>*, std::string* error, const std::string& path, void*) {
    if (error) *error += "external file " + path + " is not read for a glTF held in memory";
    return false;
}

std::string OneLine(std::string text) {
    for (char& c : text)
        if (c == '\n' || c == '\r') c = ' ';
    while (!text.empty() && text.back() == ' ') text.pop_back();
    return text;
}

}  // namespace

std::string ReadContext::Latin1Name(const std::string& utf8) {
    std::string bytes;
    if (!NameToLatin1(utf8, bytes))
        warnings.push_back("name '" + utf8 + "' has characters outside Latin-1, written as '" + qevmodel::Latin1ToUtf8(bytes) + "'");
    return bytes;
}

Matrix ReadContext::WorldMatrix(int node) const {
    Matrix world = Identity();
    for (int at = node; at != -1; at = parent[at]) {
        const tinygltf::Node& n = document.nodes[at];
        Matrix local = Identity();
        if (n.matrix.size() == 16) {
            for (int k = 0; k < 16; ++k) local[k] = n.matrix[k];
        } else {
            const double none[3] = {0, 0, 0}, one[3] = {1, 1, 1}, identity[4] = {0, 0, 0, 1};
            local = NodeMatrix(n.translation.size() == 3 ? n.translation.data() : none,
                               n.rotation.size() == 4 ? n.rotation.data() : identity,
                               n.scale.size() == 3 ? n.scale.data() : one);
        }
        world = Multiply(local, world);
    }
    return world;
}

AccessorValues OpenAttribute(const ReadContext& context, const tinygltf::Primitive& primitive, const std::string& name,
                             const std::string& primitivePointer, size_t vertexCount,
                             std::initializer_list<int> types, std::initializer_list<int> componentTypes) {
    const std::string where = primitivePointer + "/attributes/" + name;
    auto found = primitive.attributes.find(name);
    if (found == primitive.attributes.end()) Fail(primitivePointer + "/attributes", "no " + name + " attribute");
    AccessorValues values = OpenAccessor(context.document, context.buffers, found->second, where, types, componentTypes);
    if (values.count != vertexCount)
        Fail(where, std::to_string(values.count) + " elements where POSITION has " + std::to_string(vertexCount));
    return values;
}

}  // namespace gltfqev

namespace {

bool ReadLoadedDocument(const tinygltf::Model& document, const gltfqev::DocumentBuffers& buffers,
                        const GltfOptions& options, msModel& model, std::vector<std::string>& warnings,
                        std::string& error) {
    try {
        gltfqev::ReadContext context(document, buffers, model, warnings);
        gltfqev::Reader(context).Read();
    } catch (const gltfqev::GltfFault& fault) {
        error = (fault.pointer.empty() ? "/" : fault.pointer) + ": " + fault.message;
        model = msModel();
        return false;
    }
    AdjustModel(model, options);
    return true;
}

// A .glb read from its file: tinygltf gets the JSON chunk alone, with a
// one-byte stand-in for the BIN chunk's buffer, and the accessors read the
// chunk where the file is mapped. Its bytes are neither copied nor zeroed
// first, and pages of the file are shared with the system's cache.
const char kBinChunkUri[] = "qev-glb-bin-chunk";

bool IsBinChunk(const std::string& path) {
    const size_t n = sizeof(kBinChunkUri) - 1;
    return path.size() >= n && path.compare(path.size() - n, n, kBinChunkUri) == 0;
}

bool ChunkOrFileExists(const std::string& path, void* user) {
    return IsBinChunk(path) || tinygltf::FileExists(path, user);
}

bool StandInOrFile(std::vector<unsigned char>* out, std::string* error, const std::string& path, void*) {
    if (!IsBinChunk(path)) return tinygltf::ReadWholeFile(out, error, path, nullptr);
    out->assign(1, 0);
    return true;
}

// The whole file mapped read-only; unmapped when it goes.
class MappedFile {
public:
    ~MappedFile() {
        if (bytes_) munmap(bytes_, size_);
    }
    bool Map(int descriptor, size_t size) {
        if (size == 0) return false;
        void* at = mmap(nullptr, size, PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (at == MAP_FAILED) return false;
        bytes_ = at, size_ = size;
        return true;
    }
    const unsigned char* Bytes() const { return static_cast<const unsigned char*>(bytes_); }

private:
    void* bytes_ = nullptr;
    size_t size_ = 0;
};

uint32_t U32At(const unsigned char* p) {
    return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
}

}  // namespace

bool GltfToModel(const std::vector<unsigned char>& bytes, const std::string& baseDir, const GltfOptions& options,
                 msModel& model, std::vector<std::string>& warnings, std::string& error) {
    tinygltf::Model document;
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(gltfqev::NoImages, nullptr);
    if (baseDir.empty()) {
        tinygltf::FsCallbacks callbacks = {&tinygltf::FileExists, &tinygltf::ExpandFilePath, &gltfqev::NoExternalFile,
                                           &tinygltf::WriteWholeFile, nullptr};
        loader.SetFsCallbacks(callbacks);
    }
    std::string loadError, loadWarning;
    const bool binary = bytes.size() >= 4 && memcmp(bytes.data(), "glTF", 4) == 0;
    if (bytes.size() > 0xFFFFFFFFu) {
        error = "the file is too large to read";
        return false;
    }
    const bool loaded =
        binary ? loader.LoadBinaryFromMemory(&document, &loadError, &loadWarning, bytes.data(),
                                             (unsigned int)bytes.size(), baseDir)
               : loader.LoadASCIIFromString(&document, &loadError, &loadWarning,
                                            reinterpret_cast<const char*>(bytes.data()), (unsigned int)bytes.size(),
                                            baseDir);
    if (!loaded) {
        error = std::string(binary ? "not a readable .glb: " : "not a readable glTF: ") + gltfqev::OneLine(loadError);
        return false;
    }
    return ReadLoadedDocument(document, gltfqev::BuffersOf(document), options, model, warnings, error);
}

bool GltfFileToModel(const std::string& path, const GltfOptions& options, msModel& model,
                     std::vector<std::string>& warnings, std::string& error) {
    const size_t slash = path.find_last_of('/');
    const std::string baseDir = slash == std::string::npos ? std::string("./") : path.substr(0, slash + 1);
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        error = std::string("cannot open: ") + strerror(errno);
        return false;
    }
    unsigned char head[20] = {};
    const size_t headSize = fread(head, 1, sizeof(head), file);
    fseeko(file, 0, SEEK_END);
    const uint64_t fileSize = (uint64_t)ftello(file);
    const bool binary = headSize >= 4 && memcmp(head, "glTF", 4) == 0;
    std::vector<unsigned char> bytes;
    if (!binary || headSize < 20) {
        // A .gltf (or a .glb too short to hold its chunks): read whole.
        bytes.resize(fileSize);
        fseeko(file, 0, SEEK_SET);
        const bool read = fread(bytes.data(), 1, bytes.size(), file) == bytes.size();
        fclose(file);
        if (!read) {
            error = "cannot read";
            return false;
        }
        return GltfToModel(bytes, baseDir, options, model, warnings, error);
    }
    const uint64_t jsonLength = U32At(head + 12);
    if (U32At(head + 16) != 0x4E4F534Au || 20 + jsonLength > fileSize) {
        fclose(file);
        error = "not a readable .glb: its JSON chunk is missing or cut short";
        return false;
    }
    MappedFile mapped;
    const bool isMapped = mapped.Map(fileno(file), (size_t)fileSize);
    fclose(file);
    if (!isMapped) {
        error = "cannot read";
        return false;
    }
    const unsigned char* mappedBytes = mapped.Bytes();
    const bool haveBin = 20 + jsonLength + 8 <= fileSize && U32At(mappedBytes + 20 + jsonLength + 4) == 0x004E4942u;
    nlohmann::json json =
        nlohmann::json::parse(mappedBytes + 20, mappedBytes + 20 + jsonLength, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        error = "not a readable .glb: its JSON chunk is not a JSON object";
        return false;
    }
    gltfqev::BufferBytes chunk;
    if (haveBin && json.contains("buffers") && json["buffers"].is_array() && !json["buffers"].empty() &&
        json["buffers"][0].is_object() && !json["buffers"][0].contains("uri")) {
        const uint64_t offset = 20 + jsonLength + 8;
        const nlohmann::json& length = json["buffers"][0]["byteLength"];
        const uint64_t declared = length.is_number_unsigned() ? length.get<uint64_t>() : 0;
        const uint64_t held = std::min<uint64_t>(U32At(mappedBytes + 20 + jsonLength), fileSize - offset);
        if (declared > held) {
            error = "not a readable .glb: the BIN chunk holds " + std::to_string(held) + " bytes where buffers/0 needs " +
                    std::to_string(declared);
            return false;
        }
        json["buffers"][0]["uri"] = kBinChunkUri;
        // Without a valid byteLength tinygltf refuses the buffer by its own rule.
        if (length.is_number_unsigned()) {
            chunk = {mappedBytes + offset, (size_t)declared};
            json["buffers"][0]["byteLength"] = 1;
        }
    }
    tinygltf::Model document;
    tinygltf::TinyGLTF loader;
    loader.SetImageLoader(gltfqev::NoImages, nullptr);
    tinygltf::FsCallbacks callbacks = {&ChunkOrFileExists, &tinygltf::ExpandFilePath, &StandInOrFile,
                                       &tinygltf::WriteWholeFile, nullptr};
    loader.SetFsCallbacks(callbacks);
    const std::string text = json.dump();
    std::string loadError, loadWarning;
    if (!loader.LoadASCIIFromString(&document, &loadError, &loadWarning, text.data(), (unsigned int)text.size(),
                                    baseDir)) {
        error = "not a readable .glb: " + gltfqev::OneLine(loadError);
        return false;
    }
    gltfqev::DocumentBuffers buffers = gltfqev::BuffersOf(document);
    if (chunk.data) buffers[0] = chunk;
    return ReadLoadedDocument(document, buffers, options, model, warnings, error);
}
