// A rich model written by the exporter and read back into an empty model comes
// back equal, every float bit and every weight 0 to 100 included.
#include <gtest/gtest.h>

#include <cstdio>
#include <limits>
#include <string>

#include "export_command.h"
#include "import_command.h"
#include "model.h"

namespace {

std::string NameOf(size_t length, int seed) {
    std::string name;
    for (size_t i = 0; i < length; ++i) name += static_cast<char>(1 + (i * 37 + seed) % 255);  // no NUL
    return name;
}

msModel RichModel() {
    msModel model;
    const int32_t numBones = 4;
    for (int32_t b = 0; b < numBones; ++b) {
        msBone& bone = qevmodel::AddBone(model, NameOf(b == 0 ? 99 : 5 + b, b));
        for (int n = 0; n < 3; ++n) {
            bone.position[n] = 0.1f * static_cast<float>(b + n);
            bone.rotation[n] = -1.5f * static_cast<float>(b * n);
        }
    }
    const size_t nameLengths[] = {127, 0, 1, 40};
    int32_t weight = 0;
    for (int m = 0; m < 4; ++m) {
        msMesh& mesh = qevmodel::AddMesh(model, NameOf(nameLengths[m], m));
        const int numVertices = m == 1 ? 0 : 40;  // mesh 1 holds triangles only
        for (int v = 0; v < numVertices; ++v) {
            msVertex vertex;
            vertex.position[0] = static_cast<float>(v) / 3.0f;
            vertex.position[1] = -0.0f;
            vertex.position[2] = std::numeric_limits<float>::denorm_min() * static_cast<float>(v);
            vertex.boneIndex = v % (numBones + 2) - 1;  // -1, bones, and one past the last
            for (int slot = 0; slot < 3; ++slot) {
                vertex.ex.boneIndices[slot] = (v + slot) % numBones;
                vertex.ex.boneWeights[slot] = weight++ % 101;  // every percentage 0 to 100
            }
            vertex.ex.extra[0] = 0xFFFFFFFFu - static_cast<uint32_t>(v);
            vertex.ex.extra[1] = static_cast<uint32_t>(v * 1000003);
            mesh.vertices.push_back(vertex);
        }
        for (int t = 0; t < 10; ++t) {
            msTriangle triangle;
            for (int c = 0; c < 3; ++c) {
                triangle.vertexIndices[c] = static_cast<uint16_t>(t + c);
                for (int n = 0; n < 3; ++n) triangle.ex.normals[c][n] = 0.25f * static_cast<float>(n - c);
                triangle.ex.texCoords[c][0] = static_cast<float>(t) / 7.0f;
                triangle.ex.texCoords[c][1] = 1.0f - static_cast<float>(c) / 9.0f;
            }
            mesh.triangles.push_back(triangle);
        }
    }
    return model;
}

TEST(RoundTrip, ExportedModelImportsBackEqual) {
    const msModel original = RichModel();
    msModel exported = original;  // the export hands its model to msModel_Destroy
    const std::string path = ::testing::TempDir() + "importer_round_trip.qev";
    ASSERT_EQ(ExportQevFile(&exported, path.c_str()), 0);
    msModel imported;
    ASSERT_EQ(ImportQevFile(&imported, path.c_str()), 0);
    std::remove(path.c_str());
    EXPECT_TRUE(qevmodel::SameContent(original, imported));
    ASSERT_EQ(imported.meshes.size(), original.meshes.size());
    EXPECT_EQ(imported.meshes[0].name, original.meshes[0].name);  // 127 bytes
    EXPECT_EQ(imported.meshes[2].vertices.size(), 40u);
}

}  // namespace
