#include "damaged_support.h"

#include <sstream>

namespace damaged {

QevWriter& QevWriter::BeginMesh(int32_t numVertices) {
    I32(numVertices);
    MeshLayout mesh;
    mesh.createdAt = size();
    mesh.numVertices = numVertices;
    mesh.blockNumber = blocks_++;
    block_ = layout_.meshes.size();
    layout_.meshes.push_back(mesh);
    return *this;
}

QevWriter& QevWriter::Vertex(std::array<float, 3> position, int32_t vertexId, int32_t tagVal,
                             std::array<int32_t, 4> bones, std::array<float, 4> weights) {
    for (float f : position) F32(f);
    I32(vertexId);
    if (version_ >= 2) I32(tagVal);
    for (int32_t b : bones) I32(b);
    for (float w : weights) F32(w);
    layout_.meshes.at(block_).vertexEnds.push_back(size());
    layout_.meshes.at(block_).vertexBones.push_back(bones);
    return *this;
}

// Corners n = 0, 1, 2 name vertices firstIndex + n, with normals and texture
// coordinates that differ per triangle, so a stale record would show.
QevWriter& QevWriter::Triangle(uint16_t firstIndex, std::vector<size_t>& ends) {
    for (uint16_t n = 0; n < 3; ++n) {
        U16(static_cast<uint16_t>(firstIndex + n));
        F32(float(firstIndex)).F32(float(n)).F32(1.0f);
        F32(0.25f * n).F32(float(firstIndex) / 8.0f);
    }
    ends.push_back(size());
    return *this;
}

QevWriter& QevWriter::Triangles(int32_t count, uint16_t firstIndex) {
    I32(count);
    for (int32_t k = 0; k < count; ++k)
        Triangle(static_cast<uint16_t>(firstIndex + k), layout_.meshes.at(block_).triangleEnds);
    return *this;
}

QevWriter& QevWriter::Geostate(int32_t numTriangles) {
    I32(numTriangles);
    MeshLayout geostate;
    geostate.createdAt = size();
    for (int32_t k = 0; k < numTriangles; ++k) Triangle(static_cast<uint16_t>(100 + k), geostate.triangleEnds);
    layout_.meshes.push_back(geostate);
    return *this;
}

QevWriter& QevWriter::MeshName(const std::string& name) {
    U8(static_cast<uint8_t>(name.size()));
    Raw(name);
    layout_.meshes.at(block_).nameEnd = size();  // the block's mesh, not its geostates'
    return *this;
}

QevWriter& QevWriter::Bone(const std::string& name, std::array<float, 6> pose) {
    U8(static_cast<uint8_t>(name.size()));
    Raw(name);
    if (version_ >= 2) {
        for (float f : pose) F32(f);
    }
    layout_.boneEnds.push_back(size());
    layout_.boneNames.push_back(name);
    return *this;
}

std::string Summary(const msModel& model) {
    std::ostringstream out;
    const char* separator = "";
    for (const msMesh& mesh : model.meshes) {
        out << separator << '"' << mesh.name << "\" " << mesh.vertices.size() << "v " << mesh.triangles.size() << "t";
        if (!mesh.vertices.empty()) {
            const msVertex& v = mesh.vertices.front();
            out << " [" << v.boneIndex << " " << v.ex.boneIndices[0] << " " << v.ex.boneIndices[1] << " "
                << v.ex.boneIndices[2] << "]";
        }
        separator = "; ";
    }
    out << " |";
    for (const msBone& bone : model.bones) out << " \"" << bone.name << '"';
    return out.str();
}

}  // namespace damaged
