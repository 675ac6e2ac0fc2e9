#include "model_json.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <limits>

namespace qevmodel {
namespace {

// ---- printing -------------------------------------------------------------

Json FloatValue(float value) {
    if (std::isnan(value)) return "nan";
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return value;
}

Json Floats(const float* values, int count) {
    Json list = Json::array();
    for (int i = 0; i < count; ++i) list.push_back(FloatValue(values[i]));
    return list;
}

Json VertexToJson(const msVertex& vertex) {
    const msVertexEx& ex = vertex.ex;
    Json json = Json::object();
    json["position"] = Floats(vertex.position, 3);
    json["bones"] = {vertex.boneIndex, ex.boneIndices[0], ex.boneIndices[1], ex.boneIndices[2]};
    json["weights"] = {ex.boneWeights[0], ex.boneWeights[1], ex.boneWeights[2]};
    // The host hands extras on as 32-bit values; signed reads best for ids and tags.
    json["extra"] = {static_cast<int32_t>(ex.extra[0]), static_cast<int32_t>(ex.extra[1])};
    return json;
}

Json TriangleToJson(const msTriangle& triangle) {
    Json json = Json::object();
    json["vertices"] = {triangle.vertexIndices[0], triangle.vertexIndices[1], triangle.vertexIndices[2]};
    Json normals = Json::array();
    Json uvs = Json::array();
    for (int corner = 0; corner < 3; ++corner) {
        normals.push_back(Floats(triangle.ex.normals[corner], 3));
        uvs.push_back(Floats(triangle.ex.texCoords[corner], 2));
    }
    json["normals"] = normals;
    json["uvs"] = uvs;
    return json;
}

// ---- reading --------------------------------------------------------------

struct SchemaError {
    std::string path;
    std::string what;
};

[[noreturn]] void Fail(const std::string& path, const std::string& what) { throw SchemaError{path, what}; }

std::string Member(const std::string& path, const char* key) { return path.empty() ? key : path + "." + key; }
std::string Element(const std::string& path, size_t index) { return path + "[" + std::to_string(index) + "]"; }

// An object whose keys are all known: a misspelt field would otherwise be
// dropped in silence and take its default.
void CheckObject(const Json& json, const std::string& path, std::initializer_list<const char*> keys) {
    if (!json.is_object()) Fail(path.empty() ? "model" : path, "expected an object");
    for (const auto& member : json.items()) {
        bool known = false;
        for (const char* key : keys) known = known || member.key() == key;
        if (!known) Fail(Member(path, member.key().c_str()), "unknown field");
    }
}

const Json* Optional(const Json& object, const char* key) {
    auto found = object.find(key);
    return found == object.end() ? nullptr : &*found;
}

bool ReadFloat(const Json& json, float& value) {
    if (json.is_number_float()) {
        value = json.get<float>();
        return std::isfinite(value);  // the parser refuses overflow; this keeps a built tree honest too
    }
    if (json.is_number_integer()) {
        // get<float> on a big unsigned or signed integer rounds to nearest.
        value = json.is_number_unsigned() ? static_cast<float>(json.get<uint64_t>())
                                          : static_cast<float>(json.get<int64_t>());
        return true;
    }
    if (json.is_string()) {
        const std::string& text = json.get_ref<const std::string&>();
        if (text == "nan") value = std::numeric_limits<float>::quiet_NaN();
        else if (text == "inf") value = std::numeric_limits<float>::infinity();
        else if (text == "-inf") value = -std::numeric_limits<float>::infinity();
        else return false;
        return true;
    }
    return false;
}

void ReadFloats(const Json& json, const std::string& path, float* values, size_t count) {
    const std::string expected = "expected " + std::to_string(count) + " numbers";
    if (!json.is_array() || json.size() != count) Fail(path, expected);
    for (size_t i = 0; i < count; ++i)
        if (!ReadFloat(json[i], values[i]))
            Fail(path, expected + " (finite within the float range, or \"nan\", \"inf\", \"-inf\")");
}

void ReadIntegers(const Json& json, const std::string& path, int64_t* values, size_t count, int64_t low,
                  int64_t high) {
    if (json.is_array() && json.size() == count) {
        bool fits = true;
        for (size_t i = 0; i < count && fits; ++i) {
            const Json& item = json[i];
            if (item.is_number_unsigned()) {
                const uint64_t v = item.get<uint64_t>();
                fits = v <= static_cast<uint64_t>(high);
                values[i] = static_cast<int64_t>(v);
            } else if (item.is_number_integer()) {
                values[i] = item.get<int64_t>();
                fits = values[i] >= low && values[i] <= high;
            } else {
                fits = false;
            }
        }
        if (fits) return;
    }
    Fail(path, "expected " + std::to_string(count) + " integers from " + std::to_string(low) + " to " +
                   std::to_string(high));
}

void ReadInt32s(const Json& json, const std::string& path, int32_t* values, size_t count) {
    int64_t wide[4];
    ReadIntegers(json, path, wide, count, INT32_MIN, INT32_MAX);
    for (size_t i = 0; i < count; ++i) values[i] = static_cast<int32_t>(wide[i]);
}

std::string ReadName(const Json& json, const std::string& path) {
    if (!json.is_string()) Fail(path, "expected a string");
    std::string bytes;
    if (!Utf8ToLatin1(json.get_ref<const std::string&>(), bytes))
        Fail(path, "names hold bytes: only code points U+0001 to U+00FF");
    return bytes;
}

void ReadVertex(const Json& json, const std::string& path, msMesh* mesh) {
    CheckObject(json, path, {"position", "bones", "weights", "extra"});
    const int32_t index = msMesh_AddVertex(mesh);
    msVertex* vertex = msMesh_GetVertexAt(mesh, index);
    msVertexEx* ex = msMesh_GetVertexExAt(mesh, index);
    if (const Json* field = Optional(json, "position")) {
        float position[3];
        ReadFloats(*field, Member(path, "position"), position, 3);
        msVertex_SetVertex(vertex, position);
    }
    if (const Json* field = Optional(json, "bones")) {
        int32_t bones[4];
        ReadInt32s(*field, Member(path, "bones"), bones, 4);
        msVertex_SetBoneIndex(vertex, bones[0]);
        for (int32_t slot = 0; slot < 3; ++slot) msVertexEx_SetBoneIndices(ex, slot, bones[slot + 1]);
    }
    if (const Json* field = Optional(json, "weights")) {
        int32_t weights[3];
        ReadInt32s(*field, Member(path, "weights"), weights, 3);
        for (int32_t slot = 0; slot < 3; ++slot) msVertexEx_SetBoneWeights(ex, slot, weights[slot]);
    }
    if (const Json* field = Optional(json, "extra")) {
        // Signed or unsigned spellings of the same 32 bits are both accepted.
        int64_t extra[2];
        ReadIntegers(*field, Member(path, "extra"), extra, 2, INT32_MIN, UINT32_MAX);
        for (int32_t slot = 0; slot < 2; ++slot)
            msVertexEx_SetExtra(ex, slot, static_cast<uint32_t>(static_cast<uint64_t>(extra[slot])));
    }
}

void ReadTriangle(const Json& json, const std::string& path, msMesh* mesh) {
    CheckObject(json, path, {"vertices", "normals", "uvs"});
    const int32_t index = msMesh_AddTriangle(mesh);
    msTriangle* triangle = msMesh_GetTriangleAt(mesh, index);
    msTriangleEx* ex = msMesh_GetTriangleExAt(mesh, index);
    if (const Json* field = Optional(json, "vertices")) {
        int64_t wide[3];
        ReadIntegers(*field, Member(path, "vertices"), wide, 3, 0, UINT16_MAX);
        const uint16_t indices[3] = {static_cast<uint16_t>(wide[0]), static_cast<uint16_t>(wide[1]),
                                     static_cast<uint16_t>(wide[2])};
        msTriangle_SetVertexIndices(triangle, indices);
    }
    const struct {
        const char* key;
        size_t width;
        void (*set)(msTriangleEx*, int32_t, const float*);
    } cornerFields[] = {{"normals", 3, msTriangleEx_SetNormal}, {"uvs", 2, msTriangleEx_SetTexCoord}};
    for (const auto& cornerField : cornerFields) {
        const Json* field = Optional(json, cornerField.key);
        if (!field) continue;
        const std::string fieldPath = Member(path, cornerField.key);
        if (!field->is_array() || field->size() != 3) Fail(fieldPath, "expected 3 corners");
        for (int32_t corner = 0; corner < 3; ++corner) {
            float values[3];
            ReadFloats((*field)[static_cast<size_t>(corner)], Element(fieldPath, static_cast<size_t>(corner)),
                       values, cornerField.width);
            cornerField.set(ex, corner, values);
        }
    }
}

template <typename ReadItem>
void ReadList(const Json& object, const char* key, const std::string& path, ReadItem readItem) {
    const Json* list = Optional(object, key);
    if (!list) return;
    const std::string listPath = Member(path, key);
    if (!list->is_array()) Fail(listPath, "expected a list");
    for (size_t i = 0; i < list->size(); ++i) readItem((*list)[i], Element(listPath, i));
}

void ReadMesh(const Json& json, const std::string& path, msModel& model) {
    CheckObject(json, path, {"name", "vertices", "triangles"});
    msMesh* mesh = msModel_GetMeshAt(&model, msModel_AddMesh(&model));
    if (const Json* field = Optional(json, "name")) msMesh_SetName(mesh, ReadName(*field, Member(path, "name")).c_str());
    ReadList(json, "vertices", path, [&](const Json& item, const std::string& at) { ReadVertex(item, at, mesh); });
    ReadList(json, "triangles", path, [&](const Json& item, const std::string& at) { ReadTriangle(item, at, mesh); });
}

void ReadBone(const Json& json, const std::string& path, msModel& model) {
    CheckObject(json, path, {"name", "position", "rotation"});
    msBone* bone = msModel_GetBoneAt(&model, msModel_AddBone(&model));
    if (const Json* field = Optional(json, "name")) msBone_SetName(bone, ReadName(*field, Member(path, "name")).c_str());
    float values[3];
    if (const Json* field = Optional(json, "position")) {
        ReadFloats(*field, Member(path, "position"), values, 3);
        msBone_SetPosition(bone, values);
    }
    if (const Json* field = Optional(json, "rotation")) {
        ReadFloats(*field, Member(path, "rotation"), values, 3);
        msBone_SetRotation(bone, values);
    }
}

}  // namespace

std::string Latin1ToUtf8(const std::string& bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (unsigned char b : bytes) {
        if (b < 0x80) {
            text += static_cast<char>(b);
        } else {
            text += static_cast<char>(0xC0 | (b >> 6));
            text += static_cast<char>(0x80 | (b & 0x3F));
        }
    }
    return text;
}

bool Utf8ToLatin1(const std::string& text, std::string& bytes) {
    // The JSON parser has already checked that text is valid UTF-8, so a lead
    // byte above C3 means a code point above U+00FF.
    bytes.clear();
    for (size_t i = 0; i < text.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(text[i]);
        if (b == 0) return false;  // the host's names are NUL-terminated
        if (b < 0x80) {
            bytes += static_cast<char>(b);
        } else if ((b == 0xC2 || b == 0xC3) && i + 1 < text.size()) {
            const unsigned char next = static_cast<unsigned char>(text[++i]);
            if ((next & 0xC0) != 0x80) return false;
            bytes += static_cast<char>(((b & 0x03) << 6) | (next & 0x3F));
        } else {
            return false;
        }
    }
    return true;
}

Json ModelToJson(const msModel& model) {
    Json meshes = Json::array();
    for (const msMesh& mesh : model.meshes) {
        Json vertices = Json::array();
        for (const msVertex& vertex : mesh.vertices) vertices.push_back(VertexToJson(vertex));
        Json triangles = Json::array();
        for (const msTriangle& triangle : mesh.triangles) triangles.push_back(TriangleToJson(triangle));
        Json json = Json::object();
        json["name"] = Latin1ToUtf8(mesh.name);
        json["vertices"] = std::move(vertices);
        json["triangles"] = std::move(triangles);
        meshes.push_back(std::move(json));
    }
    Json bones = Json::array();
    for (const msBone& bone : model.bones) {
        Json json = Json::object();
        json["name"] = Latin1ToUtf8(bone.name);
        json["position"] = Floats(bone.position, 3);
        json["rotation"] = Floats(bone.rotation, 3);
        bones.push_back(std::move(json));
    }
    Json json = Json::object();
    json["meshes"] = std::move(meshes);
    json["bones"] = std::move(bones);
    return json;
}

void WriteModelJson(JsonStream& stream, const msModel& model) {
    stream.BeginObject(!model.meshes.empty() || !model.bones.empty());
    stream.Key("meshes").BeginArray(true);
    for (const msMesh& mesh : model.meshes) {
        stream.BeginObject(!mesh.vertices.empty() || !mesh.triangles.empty());
        stream.Key("name").Value(Latin1ToUtf8(mesh.name));
        stream.Key("vertices").BeginArray(true);
        for (const msVertex& vertex : mesh.vertices) stream.Value(VertexToJson(vertex));
        stream.End();
        stream.Key("triangles").BeginArray(true);
        for (const msTriangle& triangle : mesh.triangles) stream.Value(TriangleToJson(triangle));
        stream.End();
        stream.End();
    }
    stream.End();
    stream.Key("bones").BeginArray(true);
    for (const msBone& bone : model.bones) {
        Json json = Json::object();
        json["name"] = Latin1ToUtf8(bone.name);
        json["position"] = Floats(bone.position, 3);
        json["rotation"] = Floats(bone.rotation, 3);
        stream.Value(json);
    }
    stream.End();
    stream.End();
}

void WriteModelSummaryJson(JsonStream& stream, const msModel& model) {
    stream.BeginObject(!model.meshes.empty());  // bone names are strings: one line
    stream.Key("meshes").BeginArray(true);
    for (const msMesh& mesh : model.meshes) {
        Json json = Json::object();
        json["name"] = Latin1ToUtf8(mesh.name);
        json["vertices"] = mesh.vertices.size();
        json["triangles"] = mesh.triangles.size();
        stream.Value(json);
    }
    stream.End();
    stream.Key("bones").BeginArray(false);
    for (const msBone& bone : model.bones) stream.Value(Latin1ToUtf8(bone.name));
    stream.End();
    stream.End();
}

Json ModelSummaryToJson(const msModel& model) {
    Json meshes = Json::array();
    for (const msMesh& mesh : model.meshes) {
        Json json = Json::object();
        json["name"] = Latin1ToUtf8(mesh.name);
        json["vertices"] = mesh.vertices.size();
        json["triangles"] = mesh.triangles.size();
        meshes.push_back(std::move(json));
    }
    Json bones = Json::array();
    for (const msBone& bone : model.bones) bones.push_back(Latin1ToUtf8(bone.name));
    Json json = Json::object();
    json["meshes"] = std::move(meshes);
    json["bones"] = std::move(bones);
    return json;
}

bool AddModelFromJson(const Json& json, msModel& model, std::string& error) {
    // Built aside and taken over whole, so a schema error leaves model untouched.
    msModel built(model);
    try {
        CheckObject(json, "", {"meshes", "bones"});
        ReadList(json, "meshes", "", [&](const Json& item, const std::string& at) { ReadMesh(item, at, built); });
        ReadList(json, "bones", "", [&](const Json& item, const std::string& at) { ReadBone(item, at, built); });
    } catch (const SchemaError& e) {
        error = e.path + ": " + e.what;
        return false;
    }
    model = built;
    return true;
}

bool ReadModelFile(const std::string& path, msModel& model, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) {
        error = "cannot read model " + path + ": " + std::strerror(errno);
        return false;
    }
    std::string text;
    char buffer[65536];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof(buffer), file)) > 0) text.append(buffer, got);
    const bool failed = std::ferror(file) != 0;
    const int readErrno = errno;
    std::fclose(file);
    if (failed) {
        error = "cannot read model " + path + ": " + std::strerror(readErrno);
        return false;
    }
    Json json;
    std::string why;
    if (!ParseJson(text, json, why)) {
        error = "model " + path + " is not JSON: " + why;
        return false;
    }
    if (!AddModelFromJson(json, model, why)) {
        error = "model " + path + ": " + why;
        return false;
    }
    return true;
}

}  // namespace qevmodel
