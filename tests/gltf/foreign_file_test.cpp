// glTF from other tools, written by hand: transforms baked, strips, more than
// four influences, skins sharing bones, meshes too large for QEV, no normals.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "gltf_test_support.h"
#include "gltf_to_model.h"

using gltftest::HandGltf;
using nlohmann::json;

namespace {

struct Converted {
    msModel model;
    std::vector<std::string> warnings;
};

// Reads both the .gltf and the .glb form; they must give the same model.
Converted Convert(const HandGltf& gltf) {
    Converted result, binary;
    std::string error;
    EXPECT_TRUE(GltfToModel(gltf.Text(), "", GltfOptions(), result.model, result.warnings, error)) << error;
    EXPECT_TRUE(GltfToModel(gltf.Glb(), "", GltfOptions(), binary.model, binary.warnings, error)) << error;
    EXPECT_TRUE(qevmodel::SameContent(result.model, binary.model));
    return result;
}

const std::vector<float> kTrianglePositions = {0, 0, 0, 1, 0, 0, 0, 1, 0};

TEST(GltfForeign, NodeTransformsOfTwoLevelsAreBakedIntoPositionsAndNormals) {
    HandGltf gltf;
    const int positions = gltf.Floats(kTrianglePositions, "VEC3");
    const int normals = gltf.Floats({0, 0, 1, 0, 0, 1, 1, 0, 0}, "VEC3");
    const int child = gltf.MeshNode("child", {{"attributes", {{"POSITION", positions}, {"NORMAL", normals}}}});
    // Child: 90 degrees about Z; parent: scale 2 then move by (10, 0, 0).
    const double half = std::sqrt(0.5);
    gltf.json["nodes"][child]["rotation"] = {0, 0, half, half};
    gltf.json["nodes"].push_back({{"name", "parent"}, {"children", {child}}, {"translation", {10, 0, 0}},
                                  {"scale", {2, 2, 2}}});
    const Converted c = Convert(gltf);
    ASSERT_EQ(c.model.meshes.size(), 1u);
    const msMesh& mesh = c.model.meshes[0];
    EXPECT_EQ(mesh.name, "child");
    const float expected[3][3] = {{10, 0, 0}, {10, 2, 0}, {8, 0, 0}};
    for (int v = 0; v < 3; ++v)
        for (int k = 0; k < 3; ++k) EXPECT_NEAR(mesh.vertices[v].position[k], expected[v][k], 1e-5) << v;
    // Normals turn with the node and stay unit length: (1, 0, 0) -> (0, 1, 0).
    EXPECT_NEAR(mesh.triangles[0].ex.normals[2][1], 1.0f, 1e-6);
    EXPECT_NEAR(mesh.triangles[0].ex.normals[0][2], 1.0f, 1e-6);
    EXPECT_TRUE(c.warnings.empty());
}

TEST(GltfForeign, TriangleStripsAndFansBecomeTrianglesInGltfWinding) {
    HandGltf gltf;
    const int positions = gltf.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0, 1, 1, 0, 2, 0, 0}, "VEC3");
    gltf.MeshNode("strip", {{"attributes", {{"POSITION", positions}}}, {"mode", 5}});
    gltf.MeshNode("fan", {{"attributes", {{"POSITION", positions}}}, {"mode", 6}});
    const Converted c = Convert(gltf);
    ASSERT_EQ(c.model.meshes.size(), 2u);
    auto corners = [](const msMesh& mesh) {
        std::vector<int> out;
        for (const msTriangle& t : mesh.triangles)
            for (uint16_t v : t.vertexIndices) out.push_back(v);
        return out;
    };
    EXPECT_EQ(corners(c.model.meshes[0]), (std::vector<int>{0, 1, 2, 1, 3, 2, 2, 3, 4}));
    EXPECT_EQ(corners(c.model.meshes[1]), (std::vector<int>{1, 2, 0, 2, 3, 0, 3, 4, 0}));
}

TEST(GltfForeign, SixInfluencesKeepTheFourLargestAsPercentagesSummingTo100) {
    HandGltf gltf;
    const int positions = gltf.Floats(kTrianglePositions, "VEC3");
    const int joints0 = gltf.Unsigned({0, 1, 2, 3, 0, 0, 0, 0, 0, 0, 0, 0}, "VEC4", 5121);
    const int weights0 = gltf.Floats({0.05f, 0.25f, 0.2f, 0.1f, 1, 0, 0, 0, 1, 0, 0, 0}, "VEC4");
    const int joints1 = gltf.Unsigned({4, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "VEC4", 5123);
    const int weights1 = gltf.Floats({0.1f, 0.3f, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0}, "VEC4");
    const int node = gltf.MeshNode("six", {{"attributes", {{"POSITION", positions}, {"JOINTS_0", joints0},
                                                            {"WEIGHTS_0", weights0}, {"JOINTS_1", joints1},
                                                            {"WEIGHTS_1", weights1}}}});
    gltf.json["nodes"][node]["skin"] = 0;
    json joints = json::array();
    for (int j = 0; j < 6; ++j) {
        gltf.json["nodes"].push_back({{"name", "j" + std::to_string(j)}});
        joints.push_back(node + 1 + j);
    }
    gltf.json["skins"] = {{{"joints", joints}}};
    const Converted c = Convert(gltf);
    ASSERT_EQ(c.model.bones.size(), 6u);
    const msVertex& v = c.model.meshes[0].vertices[0];
    // Kept 0.3 (j5), 0.25 (j1), 0.2 (j2), 0.1 (j3, the first of the two 0.1s); of 0.85:
    // 35.29 29.41 23.53 11.76 -> 35 29 23 11, the two missing points to .76 and .53.
    EXPECT_EQ(v.boneIndex, 5);
    EXPECT_EQ(std::vector<int>(v.ex.boneIndices, v.ex.boneIndices + 3), (std::vector<int>{1, 2, 3}));
    EXPECT_EQ(std::vector<int>(v.ex.boneWeights, v.ex.boneWeights + 3), (std::vector<int>{35, 29, 24}));
    const msVertex& single = c.model.meshes[0].vertices[1];
    EXPECT_EQ(single.boneIndex, 0);
    EXPECT_EQ(single.ex.boneWeights[0], 100);
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_EQ(c.warnings[0], "1 vertices have more than four bone influences; the four largest were kept");
}

TEST(GltfForeign, WeightsThatAreNotFiniteCountAsZero) {
    HandGltf gltf;
    const int positions = gltf.Floats(kTrianglePositions, "VEC3");
    const int joints = gltf.Unsigned({0, 1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0}, "VEC4", 5121);
    const float inf = std::numeric_limits<float>::infinity(), nan = std::numeric_limits<float>::quiet_NaN();
    const int weights = gltf.Floats({inf, 0.5f, 0, 0, nan, 1, 0, 0, inf, inf, 0, 0}, "VEC4");
    const int node = gltf.MeshNode("odd", {{"attributes", {{"POSITION", positions}, {"JOINTS_0", joints},
                                                            {"WEIGHTS_0", weights}}}});
    gltf.json["nodes"][node]["skin"] = 0;
    gltf.json["nodes"].push_back({{"name", "a"}});
    gltf.json["nodes"].push_back({{"name", "b"}});
    gltf.json["skins"] = {{{"joints", {node + 1, node + 2}}}};
    const Converted c = Convert(gltf);
    const auto& vertices = c.model.meshes[0].vertices;
    EXPECT_EQ(vertices[0].boneIndex, 1);
    EXPECT_EQ(vertices[0].ex.boneWeights[0], 100);
    EXPECT_EQ(vertices[1].boneIndex, 1);
    EXPECT_EQ(vertices[2].boneIndex, -1);  // nothing left: bound to no bone
    EXPECT_EQ(vertices[2].ex.boneWeights[0], 0);
}

TEST(GltfForeign, TwoSkinsSharingBoneNamesShareTheBones) {
    HandGltf gltf;
    const int positions = gltf.Floats(kTrianglePositions, "VEC3");
    const int joints = gltf.Unsigned({0, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, "VEC4", 5121);
    const int weights = gltf.Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, "VEC4");
    const json attributes = {{"POSITION", positions}, {"JOINTS_0", joints}, {"WEIGHTS_0", weights}};
    const int first = gltf.MeshNode("first", {{"attributes", attributes}});
    const int second = gltf.MeshNode("second", {{"attributes", attributes}});
    gltf.json["nodes"][first]["skin"] = 0;
    gltf.json["nodes"][second]["skin"] = 1;
    for (const char* name : {"hip", "spine", "spine", "head"}) gltf.json["nodes"].push_back({{"name", name}});
    // Each skin's bind pose: the bone at (0, y, 0), as the inverse bind matrix says.
    const int matrices = gltf.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -1, 0, 1,
                                      1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, -2, 0, 1}, "MAT4");
    gltf.json["skins"] = {{{"joints", {2, 3}}, {"inverseBindMatrices", matrices}},
                          {{"joints", {4, 5}}, {"inverseBindMatrices", matrices}}};
    const Converted c = Convert(gltf);
    ASSERT_EQ(c.model.bones.size(), 3u);
    EXPECT_EQ(c.model.bones[0].name, "hip");
    EXPECT_EQ(c.model.bones[1].name, "spine");
    EXPECT_EQ(c.model.bones[2].name, "head");
    EXPECT_EQ(c.model.bones[1].position[1], 2.0f);  // the first skin's pose stands
    EXPECT_EQ(c.model.meshes[1].vertices[0].boneIndex, 1);  // second skin, joint 0: "spine"
    EXPECT_EQ(c.model.meshes[1].vertices[1].boneIndex, 2);  // joint 1: "head"
}

TEST(GltfForeign, AMeshOf70000VerticesIsSplitIntoMeshesOf65536AtMost) {
    HandGltf gltf;
    std::vector<float> positions;
    const int vertexCount = 70002;  // 23,334 triangles, none sharing a vertex
    for (int v = 0; v < vertexCount; ++v) {
        positions.push_back((float)(v / 3));
        positions.push_back((float)(v % 3 == 1));
        positions.push_back((float)(v % 3 == 2));
    }
    gltf.MeshNode("big", {{"attributes", {{"POSITION", gltf.Floats(positions, "VEC3")}}}});
    const Converted c = Convert(gltf);
    ASSERT_EQ(c.model.meshes.size(), 2u);
    EXPECT_EQ(c.model.meshes[0].name, "big");
    EXPECT_EQ(c.model.meshes[1].name, "big.1");
    EXPECT_EQ(c.model.meshes[0].vertices.size(), 65535u);  // 21,845 whole triangles
    EXPECT_EQ(c.model.meshes[1].vertices.size(), 4467u);
    EXPECT_EQ(c.model.meshes[0].triangles.size() + c.model.meshes[1].triangles.size(), 23334u);
    EXPECT_EQ(c.model.meshes[1].vertices[0].position[0], 21845.0f);
    ASSERT_EQ(c.warnings.size(), 1u);
    EXPECT_EQ(c.warnings[0], "mesh 'big' (node 0) has 70002 vertices, split into 2 QEV meshes of at most 65,536");
}

TEST(GltfForeign, WithoutNormalsEveryCornerTakesItsFacesNormal) {
    HandGltf gltf;
    const int positions = gltf.Floats({0, 0, 0, 0, 0, -1, 0, 1, 0, 5, 5, 5}, "VEC3");
    const int indices = gltf.Unsigned({0, 1, 2, 0, 2, 1}, "SCALAR", 5123);
    gltf.MeshNode("flat", {{"attributes", {{"POSITION", positions}}}, {"indices", indices}});
    const Converted c = Convert(gltf);
    const msMesh& mesh = c.model.meshes[0];
    ASSERT_EQ(mesh.vertices.size(), 4u);  // the unused vertex stays
    ASSERT_EQ(mesh.triangles.size(), 2u);
    for (int corner = 0; corner < 3; ++corner) {
        EXPECT_EQ(mesh.triangles[0].ex.normals[corner][0], 1.0f);
        EXPECT_EQ(mesh.triangles[1].ex.normals[corner][0], -1.0f);
        EXPECT_EQ(mesh.triangles[0].ex.texCoords[corner][0], 0.0f);
    }
}

TEST(GltfForeign, NamesOutsideLatin1AndWhatQevCannotHoldAreWarnedAbout) {
    HandGltf gltf;
    const int positions = gltf.Floats(kTrianglePositions, "VEC3");
    gltf.MeshNode("\u0416\u00e9 mesh", {{"attributes", {{"POSITION", positions}}}, {"material", 0},
                                         {"targets", {{{"POSITION", positions}}}}});
    gltf.json["materials"] = {{{"name", "skin"}}, {{"name", "eyes"}}};
    gltf.json["animations"] = {{{"channels", json::array()}, {"samplers", json::array()}}};
    gltf.json["cameras"] = {{{"type", "perspective"}, {"perspective", {{"yfov", 1.0}, {"znear", 0.1}}}}};
    const Converted c = Convert(gltf);
    EXPECT_EQ(c.model.meshes[0].name, "?\xE9 mesh");
    EXPECT_EQ(c.warnings, (std::vector<std::string>{
                              "name '\u0416\u00e9 mesh' has characters outside Latin-1, written as '?\u00e9 mesh'",
                              "left out, QEV has no place for them: 2 materials, 1 animation, 1 camera, "
                              "1 primitive's morph targets"}));
}

}  // namespace
