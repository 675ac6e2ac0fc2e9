// The glTF qev writes, as the viewer and other tools rely on it: the items
// and their extras, the skin, and the bytes of the vertex attributes.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>

#include "gltf_test_support.h"
#include "gltf_to_model.h"
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
    // JOINTS_0 and WEIGHTS_0 give every vertex's bone fields back: no copy of them.
    EXPECT_FALSE(attributes.contains("_QEV_BONES_0") || attributes.contains("_QEV_WEIGHTS_0"));
}

// The bone fields travel in _QEV_BONES_0/_1 and _QEV_WEIGHTS exactly when
// JOINTS_0 and WEIGHTS_0 cannot give them back; either way they read back
// unchanged.
TEST(GltfWritten, BoneFieldsAreCarriedWhereJointsAndWeightsCannotSayThem) {
    struct Case {
        const char* name;
        int32_t own, slots[3], percentages[3];
        bool carried;
    };
    const Case cases[] = {
        {"one bone", 1, {-1, -1, -1}, {100, 0, 0}, false},
        {"four bones, the fourth implied", 0, {1, 2, 3}, {10, 20, 30}, false},
        {"unbound", -1, {-1, -1, -1}, {0, 0, 0}, false},
        {"a bone named twice", 0, {0, -1, -1}, {50, 50, 0}, true},
        {"a reference naming no bone", 9, {-1, -1, -1}, {100, 0, 0}, true},
        {"a slot after an empty one", 0, {-1, 2, -1}, {60, 0, 40}, true},
        {"percentages over 100", 0, {1, -1, -1}, {80, 40, 0}, true},
        {"a bone at 0 percent", 0, {1, -1, -1}, {100, 0, 0}, true},
        {"an unbound vertex with percentages", -1, {-1, -1, -1}, {30, 0, 0}, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        msModel model;
        msMesh& mesh = qevmodel::AddMesh(model, "m");
        for (int v = 0; v < 3; ++v) mesh.vertices.emplace_back();
        msVertex& vertex = mesh.vertices[0];
        vertex.boneIndex = c.own;
        for (int k = 0; k < 3; ++k) vertex.ex.boneIndices[k] = c.slots[k], vertex.ex.boneWeights[k] = c.percentages[k];
        msTriangle& triangle = mesh.triangles.emplace_back();
        for (int k = 0; k < 3; ++k) triangle.vertexIndices[k] = (uint16_t)k;
        for (const char* bone : {"a", "b", "c", "d"}) qevmodel::AddBone(model, bone);

        std::vector<unsigned char> glb;
        std::string error;
        ASSERT_TRUE(ModelToGlb(model, GltfOptions(), glb, error)) << error;
        const nlohmann::json attributes = gltftest::GlbJson(glb)["meshes"][0]["primitives"][0]["attributes"];
        EXPECT_EQ(attributes.contains("_QEV_BONES_0"), c.carried);
        EXPECT_EQ(attributes.contains("_QEV_WEIGHTS_0"), c.carried);
        EXPECT_FALSE(attributes.contains("_QEV_EXTRA"));  // every extra value is 0

        msModel back;
        std::vector<std::string> warnings;
        ASSERT_TRUE(GltfToModel(glb, "", GltfOptions(), back, warnings, error)) << error;
        ASSERT_EQ(back.meshes.size(), 1u);
        const msVertex& read = back.meshes[0].vertices[0];
        EXPECT_EQ(read.boneIndex, c.own);
        for (int k = 0; k < 3; ++k) {
            EXPECT_EQ(read.ex.boneIndices[k], c.slots[k]) << k;
            EXPECT_EQ(read.ex.boneWeights[k], c.percentages[k]) << k;
        }
    }
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

// glTF vertices are the distinct (vertex, normal, texture coordinate) corners
// in the order they first appear, however many one QEV vertex has: here the
// hub of a fan has one per triangle, far more than most vertices, and every
// triangle is there twice, so each corner is found again.
TEST(GltfWritten, AHubVertexWithManyDistinctCornersKeepsEachOnce) {
    const int spokes = 300;
    msModel model;
    msMesh& mesh = qevmodel::AddMesh(model, "fan");
    for (int v = 0; v <= spokes + 1; ++v) mesh.vertices.emplace_back().position[0] = (float)v;
    for (int copy = 0; copy < 2; ++copy) {
        for (int t = 0; t < spokes; ++t) {
            msTriangle& triangle = mesh.triangles.emplace_back();
            const uint16_t corners[3] = {0, (uint16_t)(t + 1), (uint16_t)(t + 2)};
            for (int c = 0; c < 3; ++c) {
                triangle.vertexIndices[c] = corners[c];
                triangle.ex.normals[c][2] = 1.0f;
            }
            triangle.ex.texCoords[0][0] = (float)t;  // the hub's corner differs per triangle
        }
    }
    std::vector<unsigned char> glb;
    std::string error;
    ASSERT_TRUE(ModelToGlb(model, GltfOptions(), glb, error)) << error;
    gltftest::KeepForValidator("fan_hub.glb", glb);
    const nlohmann::json json = gltftest::GlbJson(glb);
    const nlohmann::json& primitive = json["meshes"][0]["primitives"][0];
    // The hub's 300 corners first met in triangle order, each spoke's one.
    EXPECT_EQ(json["accessors"][primitive["attributes"]["POSITION"].get<int>()]["count"], spokes + spokes + 1);
    const testsupport::Bytes indices = gltftest::GlbAccessorBytes(glb, primitive["indices"]);
    ASSERT_EQ(indices.size(), 2u * 2 * 3 * spokes);
    std::vector<uint16_t> index(indices.size() / 2);
    memcpy(index.data(), indices.data(), indices.size());
    for (int t = 0; t < spokes; ++t) {
        for (int c = 0; c < 3; ++c) EXPECT_EQ(index[3 * (spokes + t) + c], index[3 * t + c]) << t;
    }
    EXPECT_EQ(index[0], 0);
    EXPECT_EQ(index[3 * (spokes - 1)], 2 * spokes - 1);  // the last triangle's hub corner is made after 299 others

    msModel back;
    std::vector<std::string> warnings;
    ASSERT_TRUE(GltfToModel(glb, "", GltfOptions(), back, warnings, error)) << error;
    EXPECT_EQ(ToHex(gltftest::ExportBytes(back)), ToHex(gltftest::ExportBytes(model)));
}
