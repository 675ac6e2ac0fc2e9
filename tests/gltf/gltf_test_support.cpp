#include "gltf_test_support.h"

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <stdexcept>
#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <tiny_gltf.h>

#include "export_command.h"
#include "import_command.h"
#include "test_files.h"

// The library's own base64 encoder: exported by libtinygltf, declared by its
// header only for the translation unit that builds the implementation.
namespace tinygltf {
std::string base64_encode(unsigned char const* bytes, unsigned int length);
}

namespace gltftest {

msModel RichModel(int boneCount) {
    msModel model;
    const float nan = std::numeric_limits<float>::quiet_NaN(), inf = std::numeric_limits<float>::infinity();
    msMesh& body = qevmodel::AddMesh(model, "body");
    for (int v = 0; v < 6; ++v) {
        msVertex& vertex = body.vertices.emplace_back();
        vertex.position[0] = 0.25f * v, vertex.position[1] = -1.5f + v, vertex.position[2] = 1e-30f * v;
        vertex.ex.extra[0] = 0x80000000u + (uint32_t)v;
        vertex.ex.extra[1] = 0xFFFFFFFFu - (uint32_t)v;
        if (boneCount == 0 || v == 5) continue;  // unbound
        vertex.boneIndex = v % boneCount;
        vertex.ex.boneIndices[0] = (v + 1) % boneCount;
        vertex.ex.boneIndices[1] = boneCount > 2 ? 2 : -1;
        const int32_t weights[5][3] = {{100, 0, 0}, {0, 100, 0}, {33, 33, 33}, {50, 50, 0}, {1, 2, 3}};
        for (int k = 0; k < 3; ++k) vertex.ex.boneWeights[k] = weights[v][k];
    }
    body.vertices[4].position[1] = nan;  // carried exactly, shown at the origin
    for (int t = 0; t < 4; ++t) {
        msTriangle& triangle = body.triangles.emplace_back();
        for (int c = 0; c < 3; ++c) {
            triangle.vertexIndices[c] = (uint16_t)((t + c) % 6);
            triangle.ex.normals[c][2] = 1.0f;
            triangle.ex.texCoords[c][0] = 0.125f * c, triangle.ex.texCoords[c][1] = 1.0f - 0.25f * t;
        }
    }
    body.triangles[1].ex.normals[1][0] = 3.0f;  // not unit length
    body.triangles[2].ex.normals[0][2] = 0.0f;  // zero
    body.triangles[3].ex.texCoords[2][0] = inf;
    body.triangles[3].vertexIndices[2] = 900;  // names no vertex

    msMesh& named = qevmodel::AddMesh(model, std::string(255, '\xE9'));
    for (int v = 0; v < 3; ++v) {
        msVertex& vertex = named.vertices.emplace_back();
        vertex.position[v] = -2.0f;
        if (boneCount > 0) vertex.boneIndex = boneCount - 1, vertex.ex.boneWeights[0] = 100;
    }
    msTriangle& triangle = named.triangles.emplace_back();
    for (int c = 0; c < 3; ++c) triangle.vertexIndices[c] = (uint16_t)c, triangle.ex.normals[c][1] = -1.0f;

    qevmodel::AddMesh(model, "");  // nothing at all
    msMesh& loose = qevmodel::AddMesh(model, "loose points");
    loose.vertices.emplace_back().position[0] = 7.0f;

    for (int b = 0; b < boneCount; ++b) {
        std::string name = b == 0 ? std::string(99, 'b') : "bone " + std::to_string(b) + " \xE7";
        msBone& bone = qevmodel::AddBone(model, name);
        bone.position[0] = 0.5f * b, bone.position[1] = 1.0f, bone.position[2] = -0.1f * b;
        bone.rotation[0] = 0.3f * b, bone.rotation[1] = -1.2f, bone.rotation[2] = 3.1f;
    }
    if (boneCount > 2) model.bones[2].rotation[1] = (float)(M_PI / 2);  // gimbal lock
    if (boneCount > 3) model.bones[3].position[0] = nan;
    return model;
}

Bytes ExportBytes(const msModel& model) {
    testsupport::ScratchFolder folder;
    msModel copy = model;
    const std::string path = folder.File("model.qev");
    if (ExportQevFile(&copy, path.c_str()) != 0) throw std::runtime_error("export failed");
    return testsupport::ReadFile(path);
}

msModel ImportModel(const Bytes& bytes) {
    msModel model;
    testsupport::TempFile file(bytes);
    if (ImportQevFile(&model, file.Path()) != 0) throw std::runtime_error("import failed");
    return model;
}

int RunQev(const std::vector<std::string>& args, std::string* errors) {
    testsupport::ScratchFolder folder;
    const std::string errorPath = folder.File("stderr.txt");
    std::vector<std::string> argv = {std::string(QEV_BIN_DIR) + "/qev"};
    argv.insert(argv.end(), args.begin(), args.end());
    std::vector<char*> pointers;
    for (std::string& a : argv) pointers.push_back(&a[0]);
    pointers.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 2, errorPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const int spawned = posix_spawn(&pid, pointers[0], &actions, nullptr, pointers.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw std::runtime_error("cannot run qev");
    int status = 0;
    waitpid(pid, &status, 0);
    if (errors) {
        const Bytes text = testsupport::ReadFile(errorPath);
        errors->assign(text.begin(), text.end());
    }
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

void KeepForValidator(const std::string& name, const std::vector<unsigned char>& bytes) {
    const char* folder = getenv("QEV_GLTF_KEEP_DIR");
    if (!folder || !*folder) return;
    if (!testsupport::WriteFile(std::string(folder) + "/" + name, Bytes(bytes.begin(), bytes.end())))
        throw std::runtime_error("cannot keep " + name);
}

HandGltf::HandGltf() {
    json = {{"asset", {{"version", "2.0"}}},
            {"accessors", nlohmann::json::array()},
            {"bufferViews", nlohmann::json::array()},
            {"meshes", nlohmann::json::array()},
            {"nodes", nlohmann::json::array()}};
}

int HandGltf::Add(const Bytes& bytes, size_t count, const char* type, int componentType) {
    while (buffer_.size() % 4) buffer_.push_back(0);
    json["bufferViews"].push_back({{"buffer", 0}, {"byteOffset", buffer_.size()}, {"byteLength", bytes.size()}});
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    json["accessors"].push_back({{"bufferView", json["bufferViews"].size() - 1},
                                 {"componentType", componentType},
                                 {"count", count},
                                 {"type", type}});
    return (int)json["accessors"].size() - 1;
}

static size_t Components(const std::string& type) {
    return type == "SCALAR" ? 1 : type == "VEC2" ? 2 : type == "VEC3" ? 3 : type == "VEC4" ? 4 : 16;
}

int HandGltf::Floats(const std::vector<float>& values, const char* type) {
    Bytes bytes;
    for (float v : values) testsupport::AppendF32(bytes, v);
    return Add(bytes, values.size() / Components(type), type, 5126);
}

int HandGltf::Unsigned(const std::vector<uint32_t>& values, const char* type, int componentType) {
    Bytes bytes;
    for (uint32_t v : values) {
        if (componentType == 5121) testsupport::AppendU8(bytes, (uint8_t)v);
        else if (componentType == 5123) testsupport::AppendU16(bytes, (uint16_t)v);
        else testsupport::AppendI32(bytes, (int32_t)v);
    }
    return Add(bytes, values.size() / Components(type), type, componentType);
}

int HandGltf::MeshNode(const std::string& name, const nlohmann::json& primitive) {
    json["meshes"].push_back({{"name", name}, {"primitives", {primitive}}});
    json["nodes"].push_back({{"name", name}, {"mesh", json["meshes"].size() - 1}});
    return (int)json["nodes"].size() - 1;
}

std::vector<unsigned char> HandGltf::Text() const {
    nlohmann::json text = json;
    text["buffers"] = {{{"byteLength", buffer_.size()},
                        {"uri", "data:application/octet-stream;base64," +
                                    tinygltf::base64_encode(buffer_.data(), (unsigned)buffer_.size())}}};
    const std::string dumped = text.dump();
    return std::vector<unsigned char>(dumped.begin(), dumped.end());
}

std::vector<unsigned char> HandGltf::Glb() const {
    nlohmann::json binary = json;
    binary["buffers"] = {{{"byteLength", buffer_.size()}}};
    std::string text = binary.dump();
    while (text.size() % 4) text.push_back(' ');
    Bytes bin = buffer_;
    while (bin.size() % 4) bin.push_back(0);
    Bytes glb;
    testsupport::AppendI32(glb, 0x46546C67);  // "glTF"
    testsupport::AppendI32(glb, 2);
    testsupport::AppendI32(glb, (int32_t)(12 + 8 + text.size() + 8 + bin.size()));
    testsupport::AppendI32(glb, (int32_t)text.size());
    testsupport::AppendI32(glb, 0x4E4F534A);  // "JSON"
    glb.insert(glb.end(), text.begin(), text.end());
    testsupport::AppendI32(glb, (int32_t)bin.size());
    testsupport::AppendI32(glb, 0x004E4942);  // "BIN\0"
    glb.insert(glb.end(), bin.begin(), bin.end());
    return std::vector<unsigned char>(glb.begin(), glb.end());
}

static uint32_t U32(const std::vector<unsigned char>& b, size_t at) {
    return (uint32_t)b.at(at) | ((uint32_t)b.at(at + 1) << 8) | ((uint32_t)b.at(at + 2) << 16) |
           ((uint32_t)b.at(at + 3) << 24);
}

nlohmann::json GlbJson(const std::vector<unsigned char>& glb) {
    const uint32_t length = U32(glb, 12);
    return nlohmann::json::parse(glb.begin() + 20, glb.begin() + 20 + length);
}

std::vector<unsigned char> GlbWithJson(const std::vector<unsigned char>& glb, const nlohmann::json& json) {
    std::string text = json.dump();
    while (text.size() % 4) text.push_back(' ');
    Bytes out;
    testsupport::AppendI32(out, 0x46546C67);
    testsupport::AppendI32(out, 2);
    testsupport::AppendI32(out, 0);  // the total, patched below
    testsupport::AppendI32(out, (int32_t)text.size());
    testsupport::AppendI32(out, 0x4E4F534A);
    out.insert(out.end(), text.begin(), text.end());
    out.insert(out.end(), glb.begin() + 20 + U32(glb, 12), glb.end());
    testsupport::PatchI32(out, 8, (int32_t)out.size());
    return std::vector<unsigned char>(out.begin(), out.end());
}

Bytes GlbAccessorBytes(const std::vector<unsigned char>& glb, int accessor) {
    const nlohmann::json json = GlbJson(glb);
    const size_t binStart = 20 + U32(glb, 12) + 8;
    const nlohmann::json& a = json["accessors"][accessor];
    const nlohmann::json& view = json["bufferViews"][a["bufferView"].get<int>()];
    const size_t start = binStart + view.value("byteOffset", 0) + a.value("byteOffset", 0);
    return Bytes(glb.begin() + start, glb.begin() + start + view["byteLength"].get<size_t>());
}

}  // namespace gltftest
