#include "scenario.h"

#include <cstdint>
#include <cstdio>
#include <cstring>

#include "qev_format.h"

namespace scenario {

const char kExportedFile[] = "export.qev";
const char kImportSource[] = "import-v3.qev";
const char kImportedDump[] = "import-dump.txt";

namespace {

float FloatFromBits(uint32_t bits) {
    float value;
    std::memcpy(&value, &bits, sizeof(value));
    return value;
}

// Values a careless float path would change: negative zero, a subnormal, a
// quiet NaN with a payload, the largest finite float.
const uint32_t kOddFloatBits[] = {0x80000000u, 0x00000001u, 0x7fc12345u, 0x7f7fffffu};

struct VertexValues {
    float position[3];
    int32_t boneIndex;
    int32_t exBones[3];
    int32_t weights[3];
    uint32_t extra[2];
};

struct CornerValues {
    uint16_t vertexIndex;
    float normal[3];
    float uv[2];
};

void AddVertex(msMesh* mesh, const VertexValues& values) {
    const int32_t index = msMesh_AddVertex(mesh);
    msVertex* vertex = msMesh_GetVertexAt(mesh, index);
    msVertexEx* ex = msMesh_GetVertexExAt(mesh, index);
    msVertex_SetVertex(vertex, values.position);
    msVertex_SetBoneIndex(vertex, values.boneIndex);
    for (int32_t slot = 0; slot < 3; ++slot) {
        msVertexEx_SetBoneIndices(ex, slot, values.exBones[slot]);
        msVertexEx_SetBoneWeights(ex, slot, values.weights[slot]);
    }
    msVertexEx_SetExtra(ex, 0, values.extra[0]);
    msVertexEx_SetExtra(ex, 1, values.extra[1]);
}

void AddTriangle(msMesh* mesh, const CornerValues (&corners)[3]) {
    const int32_t index = msMesh_AddTriangle(mesh);
    msTriangle* triangle = msMesh_GetTriangleAt(mesh, index);
    msTriangleEx* ex = msMesh_GetTriangleExAt(mesh, index);
    const uint16_t indices[3] = {corners[0].vertexIndex, corners[1].vertexIndex, corners[2].vertexIndex};
    msTriangle_SetVertexIndices(triangle, indices);
    for (int32_t corner = 0; corner < 3; ++corner) {
        msTriangleEx_SetNormal(ex, corner, corners[corner].normal);
        msTriangleEx_SetTexCoord(ex, corner, corners[corner].uv);
    }
}

void AddBone(msModel* model, const char* name, const float (&position)[3], const float (&rotation)[3]) {
    msBone* bone = msModel_GetBoneAt(model, msModel_AddBone(model));
    msBone_SetName(bone, name);
    msBone_SetPosition(bone, position);
    msBone_SetRotation(bone, rotation);
}

// Little-endian file writer over the format's Put helpers.
class FileBytes {
public:
    void I32(int32_t value) { Grow(4, [&](unsigned char* p) { qev::PutI32(p, value); }); }
    void U16(uint16_t value) { Grow(2, [&](unsigned char* p) { qev::PutU16(p, value); }); }
    void F32(float value) { Grow(4, [&](unsigned char* p) { qev::PutF32(p, value); }); }
    void U8(uint8_t value) { bytes_.push_back(value); }
    void Name(const std::string& name) {
        U8(static_cast<uint8_t>(name.size()));
        bytes_.insert(bytes_.end(), name.begin(), name.end());
    }
    const std::vector<unsigned char>& Bytes() const { return bytes_; }

private:
    template <typename Put>
    void Grow(size_t size, Put put) {
        bytes_.resize(bytes_.size() + size);
        put(bytes_.data() + bytes_.size() - size);
    }
    std::vector<unsigned char> bytes_;
};

struct FileVertex {
    float position[3];
    int32_t vertexId;
    int32_t tagVal;
    int32_t boneAssignments[4];
    float boneWeights[4];
};

void PutVertex(FileBytes& file, const FileVertex& v) {
    for (float f : v.position) file.F32(f);
    file.I32(v.vertexId);
    file.I32(v.tagVal);
    for (int32_t b : v.boneAssignments) file.I32(b);
    for (float w : v.boneWeights) file.F32(w);
}

void PutTriangle(FileBytes& file, uint16_t first, float shade) {
    for (uint16_t corner = 0; corner < 3; ++corner) {
        file.U16(static_cast<uint16_t>(first + corner));
        file.F32(shade);
        file.F32(-shade);
        file.F32(0.5f * corner);
        file.F32(0.25f * corner);
        file.F32(1.0f - 0.125f * corner);
    }
}

void AppendHex(std::string& out, const unsigned char* bytes, size_t size) {
    static const char kDigits[] = "0123456789abcdef";
    for (size_t i = 0; i < size; ++i) {
        out += kDigits[bytes[i] >> 4];
        out += kDigits[bytes[i] & 15];
    }
}

void AppendName(std::string& out, const char* name) {
    out += " name=";
    AppendHex(out, reinterpret_cast<const unsigned char*>(name), std::strlen(name));
}

void AppendFloats(std::string& out, const char* label, const float* values, int count) {
    char text[16];
    out += ' ';
    out += label;
    out += '=';
    for (int i = 0; i < count; ++i) {
        uint32_t bits;
        std::memcpy(&bits, &values[i], sizeof(bits));
        std::snprintf(text, sizeof(text), i ? ",%08x" : "%08x", static_cast<unsigned>(bits));
        out += text;
    }
}

void AppendInts(std::string& out, const char* label, const int32_t* values, int count) {
    char text[16];
    out += ' ';
    out += label;
    out += '=';
    for (int i = 0; i < count; ++i) {
        std::snprintf(text, sizeof(text), i ? ",%ld" : "%ld", static_cast<long>(values[i]));
        out += text;
    }
}

}  // namespace

void BuildExportModel(msModel* model) {
    msMesh* body = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(body, "body \xe9\x01 mesh");
    const VertexValues bodyVertices[] = {
        {{0.0f, 1.5f, -2.0f}, 0, {1, -1, -1}, {60, 40, 0}, {7, 0}},
        {{FloatFromBits(kOddFloatBits[0]), FloatFromBits(kOddFloatBits[1]), FloatFromBits(kOddFloatBits[2])},
         1, {0, 2, 9}, {33, 33, 33}, {0xffffffffu, 0x80000000u}},
        {{FloatFromBits(kOddFloatBits[3]), -1e-3f, 123456.789f}, -1, {-1, -1, -1}, {0, 0, 0}, {42, 0x7fffffffu}},
        {{0.1f, 0.2f, 0.3f}, 2, {7, -5, 1}, {29, 57, 14}, {1, 2}},
    };
    for (const VertexValues& values : bodyVertices) AddVertex(body, values);
    const CornerValues first[3] = {{0, {0, 0, 1}, {0, 0}}, {1, {0, 1, 0}, {1, 0}}, {2, {1, 0, 0}, {0, 1}}};
    const CornerValues second[3] = {{3, {0.577f, 0.577f, 0.577f}, {0.5f, 0.5f}},
                                  {2, {-0.0f, 0, -1}, {1.25f, -0.75f}},
                                  {65535, {0, 0, 0}, {0, 0}}};
    AddTriangle(body, first);
    AddTriangle(body, second);

    // A mesh without vertices, with a triangle, and a name of the longest
    // length the host hands out.
    msMesh* empty = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(empty, std::string(255, 'n').c_str());
    AddTriangle(empty, first);

    AddBone(model, "root", {0, 0, 0}, {0, 0, 0});
    AddBone(model, "spine", {0, 1.25f, 0}, {0.1f, -0.2f, 3.14159265f});
    AddBone(model, "head \xff", {FloatFromBits(kOddFloatBits[2]), 2.5f, -0.0f}, {0, 0, 1e-38f});
}

std::vector<unsigned char> Version3File() {
    FileBytes file;
    file.I32(3);  // version
    file.I32(2);  // numMeshes

    // Mesh 0: three vertices, one triangle, two geostate blocks. Each of the
    // weights 0.29, 0.57 and 0.58 times 100 lies just below the integer in
    // wider precision and rounds up to it in single precision.
    const FileVertex mesh0[] = {
        {{1.0f, 2.0f, 3.0f}, 11, 21, {0, 1, -1, -1}, {0.29f, 0.71f, 0.0f, 0.0f}},
        {{-1.0f, -0.0f, 0.5f}, -1, 0x7fffffff, {2, 0, 1, 5}, {0.57f, 0.1f, 0.33f, 0.0f}},
        {{0.0f, 0.0f, 0.0f}, 0, -2, {1, 2, 0, -1}, {0.58f, 1.0f, 0.995f, 0.0f}},
    };
    file.I32(3);
    for (const FileVertex& v : mesh0) PutVertex(file, v);
    file.I32(1);
    PutTriangle(file, 0, 1.0f);
    file.I32(2);  // numGeostates
    file.I32(1);
    PutTriangle(file, 0, 0.5f);
    file.I32(2);
    PutTriangle(file, 0, 0.25f);
    PutTriangle(file, 0, -0.75f);

    // Mesh 1: one vertex bound to the bone the target already has, no
    // triangles, no geostates.
    const FileVertex mesh1[] = {
        {{5.0f, 6.0f, 7.0f}, 3, 4, {1, -1, -1, -1}, {1.0f, 0.0f, 0.0f, 0.0f}},
    };
    file.I32(1);
    for (const FileVertex& v : mesh1) PutVertex(file, v);
    file.I32(0);
    file.I32(0);

    // Bones: a new one, one the target already holds, a new one with a high byte.
    file.I32(3);
    const char* names[] = {"hip", "spine", "tail\xe9"};
    for (int i = 0; i < 3; ++i) {
        file.Name(names[i]);
        for (int axis = 0; axis < 3; ++axis) file.F32(0.5f * i + axis);
        for (int axis = 0; axis < 3; ++axis) file.F32(-0.25f * i - axis);
    }
    return file.Bytes();
}

void BuildImportTarget(msModel* model) {
    AddBone(model, "root", {0, 0, 0}, {0, 0, 0});
    AddBone(model, "spine", {0, 1, 0}, {0, 0, 0.5f});
    msMesh* existing = msModel_GetMeshAt(model, msModel_AddMesh(model));
    msMesh_SetName(existing, "existing");
    AddVertex(existing, {{9, 9, 9}, 1, {0, -1, -1}, {50, 50, 0}, {5, 6}});
}

std::string DumpModel(msModel* model) {
    std::string out;
    char line[64];
    const int32_t meshCount = msModel_GetMeshCount(model);
    for (int32_t m = 0; m < meshCount; ++m) {
        msMesh* mesh = msModel_GetMeshAt(model, m);
        char name[MS_MESH_NAME_BUFFER];
        msMesh_GetName(mesh, name, sizeof(name));
        std::snprintf(line, sizeof(line), "mesh %ld", static_cast<long>(m));
        out += line;
        AppendName(out, name);
        out += '\n';
        const int32_t vertexCount = msMesh_GetVertexCount(mesh);
        for (int32_t v = 0; v < vertexCount; ++v) {
            msVertex* vertex = msMesh_GetVertexAt(mesh, v);
            msVertexEx* ex = msMesh_GetVertexExAt(mesh, v);
            float position[3];
            msVertex_GetVertex(vertex, position);
            int32_t bones[4] = {msVertex_GetBoneIndex(vertex)};
            int32_t weights[3];
            int32_t extra[2];
            for (int32_t slot = 0; slot < 3; ++slot) {
                bones[slot + 1] = msVertexEx_GetBoneIndices(ex, slot);
                weights[slot] = msVertexEx_GetBoneWeights(ex, slot);
            }
            for (int32_t slot = 0; slot < 2; ++slot) extra[slot] = static_cast<int32_t>(msVertexEx_GetExtra(ex, slot));
            std::snprintf(line, sizeof(line), "  vertex %ld", static_cast<long>(v));
            out += line;
            AppendFloats(out, "position", position, 3);
            AppendInts(out, "bones", bones, 4);
            AppendInts(out, "weights", weights, 3);
            AppendInts(out, "extra", extra, 2);
            out += '\n';
        }
        const int32_t triangleCount = msMesh_GetTriangleCount(mesh);
        for (int32_t t = 0; t < triangleCount; ++t) {
            msTriangleEx* ex = msMesh_GetTriangleExAt(mesh, t);
            uint16_t indices[3];
            msTriangle_GetVertexIndices(msMesh_GetTriangleAt(mesh, t), indices);
            const int32_t wide[3] = {indices[0], indices[1], indices[2]};
            std::snprintf(line, sizeof(line), "  triangle %ld", static_cast<long>(t));
            out += line;
            AppendInts(out, "vertices", wide, 3);
            for (int32_t corner = 0; corner < 3; ++corner) {
                float normal[3];
                float uv[2];
                msTriangleEx_GetNormal(ex, corner, normal);
                msTriangleEx_GetTexCoord(ex, corner, uv);
                AppendFloats(out, "normal", normal, 3);
                AppendFloats(out, "uv", uv, 2);
            }
            out += '\n';
        }
    }
    const int32_t boneCount = msModel_GetBoneCount(model);
    for (int32_t b = 0; b < boneCount; ++b) {
        msBone* bone = msModel_GetBoneAt(model, b);
        char name[MS_BONE_NAME_BUFFER];
        float position[3];
        float rotation[3];
        msBone_GetName(bone, name, sizeof(name));
        msBone_GetPosition(bone, position);
        msBone_GetRotation(bone, rotation);
        std::snprintf(line, sizeof(line), "bone %ld", static_cast<long>(b));
        out += line;
        AppendName(out, name);
        AppendFloats(out, "position", position, 3);
        AppendFloats(out, "rotation", rotation, 3);
        out += '\n';
    }
    return out;
}

bool WriteBytes(const std::string& path, const std::vector<unsigned char>& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && written;
}

bool ReadBytes(const std::string& path, std::vector<unsigned char>& bytes) {
    bytes.clear();
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return false;
    unsigned char chunk[4096];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return true;
}

}  // namespace scenario
