#include "qev_bytes.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cstdio>
#include <cstring>
#include <sstream>

#include "import_command.h"

namespace qevtest {

QevBytes& QevBytes::I32(int32_t v) {
    const uint32_t u = static_cast<uint32_t>(v);
    for (int shift = 0; shift < 32; shift += 8) bytes_.push_back(static_cast<uint8_t>(u >> shift));
    return *this;
}

QevBytes& QevBytes::U16(uint16_t v) {
    bytes_.push_back(static_cast<uint8_t>(v));
    bytes_.push_back(static_cast<uint8_t>(v >> 8));
    return *this;
}

QevBytes& QevBytes::U8(uint8_t v) {
    bytes_.push_back(v);
    return *this;
}

QevBytes& QevBytes::F32(float v) {
    uint32_t bits;
    std::memcpy(&bits, &v, sizeof(bits));
    return I32(static_cast<int32_t>(bits));
}

QevBytes& QevBytes::Text(const std::string& s) {
    U8(static_cast<uint8_t>(s.size()));
    bytes_.insert(bytes_.end(), s.begin(), s.end());
    return *this;
}

QevBytes& QevBytes::Vertex(const VertexFields& v) {
    for (float f : v.position) F32(f);
    I32(v.vertexId);
    if (version_ >= 2) I32(v.tagVal);
    for (int32_t b : v.boneAssignments) I32(b);
    for (float w : v.boneWeights) F32(w);
    return *this;
}

QevBytes& QevBytes::Triangle(const TriangleFields& t) {
    for (const CornerFields& c : t) {
        U16(c.vertexIndex);
        for (float f : c.normal) F32(f);
        for (float f : c.uvCoord) F32(f);
    }
    return *this;
}

QevBytes& QevBytes::Bone(const BoneFields& b) {
    Text(b.name);
    if (version_ >= 2) {
        for (float f : b.position) F32(f);
        for (float f : b.rotation) F32(f);
    }
    return *this;
}

QevBytes& QevBytes::Mark(const std::string& name) {
    marks_[name] = bytes_.size();
    return *this;
}

std::vector<uint8_t> FromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    std::string digits;
    for (char c : hex) {
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    }
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes.push_back(static_cast<uint8_t>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

TempFile::TempFile(const std::vector<uint8_t>& bytes) {
    static int counter = 0;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "_" + test->name() : "file";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    path_ = ::testing::TempDir() + "importer_" + name + "_" + std::to_string(++counter) + ".qev";
    FILE* file = std::fopen(path_.c_str(), "wb");
    if (!file) {
        ADD_FAILURE() << "cannot write " << path_;
        return;
    }
    if (!bytes.empty()) std::fwrite(bytes.data(), 1, bytes.size(), file);
    std::fclose(file);
}

TempFile::~TempFile() { std::remove(path_.c_str()); }

int ImportBytes(msModel& model, const std::vector<uint8_t>& bytes) {
    TempFile file(bytes);
    return ImportQevFile(&model, file.Path());
}

std::string Summary(const msModel& model) {
    std::ostringstream out;
    const char* separator = "";
    for (const msMesh& mesh : model.meshes) {
        out << separator << mesh.name << " " << mesh.vertices.size() << "v " << mesh.triangles.size() << "t";
        if (!mesh.vertices.empty()) {
            const msVertex& v = mesh.vertices.front();
            out << " [" << v.boneIndex << " " << v.ex.boneIndices[0] << " " << v.ex.boneIndices[1] << " "
                << v.ex.boneIndices[2] << "]";
        }
        separator = "; ";
    }
    out << " | bones";
    for (const msBone& bone : model.bones) out << " " << bone.name;
    return out.str();
}

TriangleFields SimpleTriangle(uint16_t a, uint16_t b, uint16_t c) {
    TriangleFields t;
    t[0].vertexIndex = a;
    t[1].vertexIndex = b;
    t[2].vertexIndex = c;
    return t;
}

}  // namespace qevtest
