#include "qev_bytes.h"

#include <sstream>

namespace qevtest {

QevBytes& QevBytes::Text(const std::string& s) {
    return U8(static_cast<uint8_t>(s.size())).Raw(s);
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
