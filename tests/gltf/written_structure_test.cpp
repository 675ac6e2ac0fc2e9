// The glTF qev writes, as the viewer and other tools rely on it: the items
// and their extras, the skin, and the bytes of the vertex attributes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gltf_test_support.h"
#include "model_to_gltf.h"

using gltftest::Bytes;
using testsupport::FromHex;
using testsupport::ToHex;

namespace {

// Two bones; one mesh of one triangle whose first vertex is bound to both.
msModel SmallSkinnedModel() {
    msModel model;
    msMesh& mesh = qevmodel::AddMesh(model, "t\xE9te");
    for (int v = 0; v < 3; ++v) mesh.vertices.emplace_back().position[v] = 1.0f;
    msVertex& bound = mesh.vertices[0];
    bound.boneIndex = 0, bound.ex.boneIndices[0] = 1;
    bound.ex.boneWeights[0] = 70, bound.ex.boneWeights[1] = 30;
    bound.ex.extra[0] = 0x80000001u, bound.ex.extra[1] = 7;
    msTriangle& triangle = mesh.triangles.emplace_back();
    for (int c = 0; c < 3; ++c) {
        triangle.vertexIndices[c] = (uint16_t)c;
        triangle.ex.normals[c][2] = 1.0f;
    }
    msBone& root = qevmodel::AddBone(model, "root");
    root.position[1] = 2.0f;
    msBone& jaw = qevmodel::AddBone(model, "jaw");
    jaw.rotation[2] = 0.5f;
    return model;
}

std::vector<unsigned char> Glb(const msModel& model, const char* keepAs) {
    std::vector<unsigned char> glb;
    std::string error;
    EXPECT_TRUE(ModelToGlb(model, GltfOptions(), glb, error)) << error;
    gltftest::KeepForValidator(keepAs, glb);
    return glb;
}

TEST(GltfWritten, GlbHeaderAndChunksAsTheContainerLaysThemOut) {
    const std::vector<unsigned char> glb = Glb(SmallSkinnedModel(), "small_skinned.glb");
    ASSERT_GE(glb.size(), 28u);
    const Bytes head(glb.begin(), glb.begin() + 8);
    EXPECT_EQ(ToHex(head), ToHex(FromHex("67 6C 54 46 02 00 00 00")));  // "glTF", version 2
    const uint32_t length = glb[8] | (glb[9] << 8) | (glb[10] << 16) | ((uint32_t)glb[11] << 24);
    EXPECT_EQ(length, glb.size());
    EXPECT_EQ(ToHex(Bytes(glb.begin() + 16, glb.begin() + 20)), ToHex(FromHex("4A 53 4F 4E")));  // "JSON"
    const uint32_t jsonLength = glb[12] | (glb[13] << 8) | (glb[14] << 16) | ((uint32_t)glb[15] << 24);
    EXPECT_EQ(jsonLength % 4, 0u);
    EXPECT_EQ(ToHex(Bytes(glb.begin() + 24 + jsonLength, glb.begin() + 28 + jsonLength)),
              ToHex(FromHex("42 49 4E 00")));  // "BIN\0"
}

TEST(GltfWritten, MeshesNodesAndSkinFollowTheLayoutTheViewerReads) {
    const nlohmann::json json = gltftest::GlbJson(Glb(SmallSkinnedModel(), "small_skinned_layout.glb"));
    EXPECT_EQ(json["meshes"][0]["name"], "t\u00e9te");
    EXPECT_EQ(json["meshes"][0]["extras"]["qev"],
              nlohmann::json({{"kind", "block"}, {"block", 0}, {"vertices", 3}, {"triangles", 1}}));
    const nlohmann::json& nodes = json["nodes"];
    // Root first, then the bones, then one node per mesh at the scene root.
    EXPECT_EQ(nodes[0]["name"], "qev_root");
    EXPECT_FALSE(nodes[0].contains("translation") || nodes[0].contains("rotation") || nodes[0].contains("matrix"));
    EXPECT_EQ(nodes[0]["children"], nlohmann::json({1, 2}));
    EXPECT_EQ(nodes[1]["name"], "root");
    EXPECT_EQ(nodes[1]["translation"], nlohmann::json({0.0, 2.0, 0.0}));
    EXPECT_EQ(nodes[2]["name"], "jaw");
    // 0.5 rad about Z: (0, 0, sin 0.25, cos 0.25), as floats.
    const std::vector<double> rotation = nodes[2]["rotation"];
    EXPECT_EQ(rotation[0], 0.0);
    EXPECT_EQ(rotation[1], 0.0);
    EXPECT_EQ(rotation[2], (double)(float)std::sin(0.25));
    EXPECT_EQ(rotation[3], (double)(float)std::cos(0.25));
    EXPECT_EQ(nodes[3]["name"], "t\u00e9te");
    EXPECT_EQ(nodes[3]["mesh"], 0);
    EXPECT_EQ(nodes[3]["skin"], 0);
    EXPECT_FALSE(nodes[3].contains("translation") || nodes[3].contains("matrix"));
    EXPECT_EQ(json["skins"][0]["joints"], nlohmann::json({0, 1, 2}));
    EXPECT_EQ(json["skins"][0]["skeleton"], 0);
    EXPECT_EQ(json["scenes"][0]["nodes"], nlohmann::json({3, 0}));
    EXPECT_EQ(json["scenes"].size(), 1u);
}

TEST(GltfWritten, AttributeBytesCarryTheInfluencesAndExactValues) {
    const std::vector<unsigned char> glb = Glb(SmallSkinnedModel(), "small_skinned_bytes.glb");
    const nlohmann::json attributes = gltftest::GlbJson(glb)["meshes"][0]["primitives"][0]["attributes"];
    auto bytesOf = [&](const char* name) { return ToHex(gltftest::GlbAccessorBytes(glb, attributes[name])); };
    // Vertex 0: bones 0 and 1 at 70 and 30 -> joints 1 and 2; vertices 1, 2: unbound -> root joint 0, weight 1.
    EXPECT_EQ(bytesOf("JOINTS_0"), ToHex(FromHex("01 00 02 00 00 00 00 00"
                                                 "00 00 00 00 00 00 00 00"
                                                 "00 00 00 00 00 00 00 00")));
    // 0.3f = 3E99999A; the largest takes 1 - 0.3f, which rounds to 0.7f = 3F333333.
    EXPECT_EQ(bytesOf("WEIGHTS_0"), ToHex(FromHex("33 33 33 3F 9A 99 99 3E 00 00 00 00 00 00 00 00"
                                                  "00 00 80 3F 00 00 00 00 00 00 00 00 00 00 00 00"
                                                  "00 00 80 3F 00 00 00 00 00 00 00 00 00 00 00 00")));
    // 32-bit words as pairs of unsigned shorts, low half first.
    EXPECT_EQ(bytesOf("_QEV_EXTRA"), ToHex(FromHex("01 00 00 80 07 00 00 00"
                                                   "00 00 00 00 00 00 00 00"
                                                   "00 00 00 00 00 00 00 00")));
    EXPECT_EQ(bytesOf("_QEV_VERTEX"), ToHex(FromHex("00 00 00 00 01 00 00 00 02 00 00 00")));
    // Own index, then the three slots: 0, 1, -1, -1 (one view for _0 and _1).
    EXPECT_EQ(bytesOf("_QEV_BONES_0").substr(0, 47), "00 00 00 00 01 00 00 00 FF FF FF FF FF FF FF FF");
}

TEST(GltfWritten, InverseBindMatricesUndoEachBonePoseExactly) {
    msModel model = SmallSkinnedModel();
    model.bones[1].position[0] = 3.0f;
    model.bones[1].rotation[0] = 0.7f, model.bones[1].rotation[1] = -0.4f;
    const std::vector<unsigned char> glb = Glb(model, "inverse_bind.glb");
    const nlohmann::json json = gltftest::GlbJson(glb);
    const Bytes matrices = gltftest::GlbAccessorBytes(glb, json["skins"][0]["inverseBindMatrices"]);
    ASSERT_EQ(matrices.size(), 3u * 64);
    // Joint 2 (the second bone): last row exactly 0 0 0 1; the matrix times the
    // bone's node matrix is the identity to float precision.
    float m[16];
    memcpy(m, &matrices[128], 64);
    EXPECT_EQ(m[3], 0.0f);
    EXPECT_EQ(m[7], 0.0f);
    EXPECT_EQ(m[11], 0.0f);
    EXPECT_EQ(m[15], 1.0f);
    const std::vector<double> q = json["nodes"][2]["rotation"], t = json["nodes"][2]["translation"];
    const double x = q[0], y = q[1], z = q[2], w = q[3];
    const double r[3][3] = {{1 - 2 * (y * y + z * z), 2 * (x * y - z * w), 2 * (x * z + y * w)},
                            {2 * (x * y + z * w), 1 - 2 * (x * x + z * z), 2 * (y * z - x * w)},
                            {2 * (x * z - y * w), 2 * (y * z + x * w), 1 - 2 * (x * x + y * y)}};
    for (int row = 0; row < 3; ++row) {
        for (int col = 0; col < 4; ++col) {
            double sum = 0;
            for (int k = 0; k < 3; ++k) sum += m[k * 4 + row] * (col < 3 ? r[k][col] : t[k]);
            if (col == 3) sum += m[12 + row];
            EXPECT_NEAR(sum, row == col ? 1.0 : 0.0, 1e-6) << row << "," << col;
        }
    }
}

TEST(GltfWritten, AModelWithoutBonesHasNoSkinAndNoInfluences) {
    msModel model = SmallSkinnedModel();
    model.bones.clear();
    model.boneIndexByName.clear();
    const nlohmann::json json = gltftest::GlbJson(Glb(model, "no_bones.glb"));
    EXPECT_FALSE(json.contains("skins"));
    EXPECT_EQ(json["nodes"].size(), 1u);
    EXPECT_FALSE(json["meshes"][0]["primitives"][0]["attributes"].contains("JOINTS_0"));
}

}  // namespace
