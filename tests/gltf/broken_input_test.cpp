// Broken glTF: each input gives one line naming the problem and where it is,
// no model, and never a crash or a hang (the sanitizer build runs these too).
#include <gtest/gtest.h>

#include <functional>

#include "gltf_test_support.h"
#include "gltf_to_model.h"
#include "model_to_gltf.h"

using gltftest::HandGltf;
using nlohmann::json;

namespace {

// One indexed, skinned triangle: accessor 0 positions, 1 indices, 2 joints,
// 3 weights, 4 inverse bind matrices; node 0 the mesh, node 1 the joint.
HandGltf ValidFile(const std::vector<uint32_t>& indexValues = {0, 1, 2},
                   const std::vector<uint32_t>& jointValues = std::vector<uint32_t>(12, 0)) {
    HandGltf gltf;
    const int positions = gltf.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3");
    const int indices = gltf.Unsigned(indexValues, "SCALAR", 5123);
    const int joints = gltf.Unsigned(jointValues, "VEC4", 5121);
    const int weights = gltf.Floats({1, 0, 0, 0, 1, 0, 0, 0, 1, 0, 0, 0}, "VEC4");
    const int matrices = gltf.Floats({1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1}, "MAT4");
    gltf.MeshNode("tri", {{"attributes", {{"POSITION", positions}, {"JOINTS_0", joints}, {"WEIGHTS_0", weights}}},
                          {"indices", indices}});
    gltf.json["nodes"][0]["skin"] = 0;
    gltf.json["nodes"].push_back({{"name", "bone"}});
    gltf.json["skins"] = {{{"joints", {1}}, {"inverseBindMatrices", matrices}}};
    return gltf;
}

struct BrokenCase {
    const char* name;
    std::function<std::vector<unsigned char>()> bytes;
    const char* message;  // the whole line, or its start when it ends in "..."
};

std::vector<unsigned char> Edited(const std::function<void(json&)>& edit, bool binary = false) {
    HandGltf gltf = ValidFile();
    edit(gltf.json);
    return binary ? gltf.Glb() : gltf.Text();
}

std::vector<unsigned char> Text(const std::string& text) { return std::vector<unsigned char>(text.begin(), text.end()); }

const std::vector<BrokenCase> kCases = {
    {"broken JSON", [] { return Text("{\"asset\": {\"version\": \"2.0\"}, \"meshes\": ["); },
     "not a readable glTF: ..."},
    {"not JSON at all", [] { return Text("\x01\x02 binary junk"); }, "not a readable glTF: ..."},
    {"truncated glb",
     [] {
         std::vector<unsigned char> glb = ValidFile().Glb();
         glb.resize(glb.size() - 40);
         return glb;
     },
     "not a readable .glb: ..."},
    {"glb header only", [] { return Text("glTF\x02"); }, "not a readable .glb: ..."},
    {"accessor out of its buffer view",
     [] { return Edited([](json& j) { j["accessors"][0]["count"] = 4; }); },
     "/accessors/0: 4 elements of 12 bytes from byte 0 do not fit in the 36-byte bufferViews/0"},
    {"accessor offset past its view",
     [] { return Edited([](json& j) { j["accessors"][1]["byteOffset"] = 4000000000u; }, true); },
     "/accessors/1: 3 elements of 2 bytes from byte 4000000000 do not fit in the 6-byte bufferViews/1"},
    {"buffer view out of its buffer",
     [] { return Edited([](json& j) { j["bufferViews"][0]["byteLength"] = 100000; }, true); },
     "/bufferViews/0: bytes 0 to 100000 lie outside the 168-byte buffer"},
    {"index naming no vertex",
     [] { return ValidFile({0, 1, 7}).Text(); },
     "/accessors/1: index 7 (element 2) names no vertex: POSITION has 3"},
    {"position of the wrong component type",
     [] { return Edited([](json& j) { j["accessors"][0]["componentType"] = 5123; }); },
     "/accessors/0: UNSIGNED_SHORT where /meshes/0/primitives/0/attributes/POSITION needs FLOAT"},
    {"indices of the wrong type",
     [] { return Edited([](json& j) { j["accessors"][1]["type"] = "VEC3", j["accessors"][1]["count"] = 1; }); },
     "/accessors/1: VEC3 where /meshes/0/primitives/0/indices needs SCALAR"},
    {"weights of fewer elements than positions",
     [] { return Edited([](json& j) { j["accessors"][3]["count"] = 2; }); },
     "/meshes/0/primitives/0/attributes/WEIGHTS_0: 2 elements where POSITION has 3"},
    {"accessor that does not exist",
     [] { return Edited([](json& j) { j["meshes"][0]["primitives"][0]["indices"] = 9; }); },
     "not a readable glTF: primitive indices accessor out of bounds"},
    {"no POSITION",
     [] { return Edited([](json& j) { j["meshes"][0]["primitives"][0]["attributes"].erase("POSITION"); }); },
     "/meshes/0/primitives/0/attributes: no POSITION attribute"},
    {"points", [] { return Edited([](json& j) { j["meshes"][0]["primitives"][0]["mode"] = 0; }); },
     "/meshes/0/primitives/0/mode: mode POINTS (0) cannot be converted: QEV meshes hold triangles only"},
    {"lines", [] { return Edited([](json& j) { j["meshes"][0]["primitives"][0]["mode"] = 1; }); },
     "/meshes/0/primitives/0/mode: mode LINES (1) cannot be converted: QEV meshes hold triangles only"},
    {"joint outside the skin",
     [] { return ValidFile({0, 1, 2}, {0, 0, 0, 0, 5, 0, 0, 0, 0, 0, 0, 0}).Glb(); },
     "/meshes/0/primitives/0/attributes/JOINTS_0: joint 5 (vertex 1) is not in skin 0, which has 1 joints"},
    {"fewer inverse bind matrices than joints",
     [] { return Edited([](json& j) { j["skins"][0]["joints"] = {1, 0}; }); },
     "/skins/0/inverseBindMatrices: 1 matrices for 2 joints"},
    {"matrix that cannot be inverted",
     [] { return Edited([](json& j) { j["bufferViews"][4]["byteOffset"] = j["bufferViews"][2]["byteOffset"]; }); },
     "/skins/0/inverseBindMatrices: matrix 0 cannot be inverted"},
    {"node that is its own grandparent",
     [] {
         return Edited([](json& j) {
             j["nodes"].push_back({{"children", {3}}});
             j["nodes"].push_back({{"children", {2}}});
         });
     },
     "/nodes/2: its parents form a loop"},
    {"sparse accessor",
     [] {
         return Edited([](json& j) {
             j["accessors"][0]["sparse"] = {{"count", 1},
                                            {"indices", {{"bufferView", 1}, {"componentType", 5123}}},
                                            {"values", {{"bufferView", 0}}}};
         });
     },
     "/accessors/0/sparse: sparse accessors cannot be read"},
    {"compressed geometry",
     [] {
         return Edited([](json& j) {
             j["extensionsUsed"] = {"KHR_draco_mesh_compression"};
             j["extensionsRequired"] = {"KHR_draco_mesh_compression"};
         });
     },
     "/extensionsRequired/0: KHR_draco_mesh_compression is required, and qev cannot read it"},
    {"qev mesh announcing more vertices than it holds",
     [] {
         msModel model;
         qevmodel::AddMesh(model, "m").vertices.emplace_back();
         std::vector<unsigned char> glb;
         std::string error;
         ModelToGlb(model, GltfOptions(), glb, error);
         json j = gltftest::GlbJson(glb);
         j["meshes"][0]["extras"]["qev"]["vertices"] = 2000000000;
         return gltftest::GlbWithJson(glb, j);
     },
     "/meshes/0/extras/qev/vertices: not a count this file can hold (at most 1)"},
};

TEST(GltfBrokenInput, EachGivesOneLineNamingTheProblemAndNoModel) {
    {
        msModel model;
        std::vector<std::string> warnings;
        std::string error;
        ASSERT_TRUE(GltfToModel(ValidFile().Text(), "", GltfOptions(), model, warnings, error)) << error;
    }
    for (const BrokenCase& c : kCases) {
        SCOPED_TRACE(c.name);
        msModel model;
        std::vector<std::string> warnings;
        std::string error;
        EXPECT_FALSE(GltfToModel(c.bytes(), "", GltfOptions(), model, warnings, error));
        EXPECT_TRUE(model.meshes.empty() && model.bones.empty());
        EXPECT_EQ(error.find('\n'), std::string::npos) << error;
        const std::string expected = c.message;
        if (expected.size() >= 3 && expected.compare(expected.size() - 3, 3, "...") == 0)
            EXPECT_EQ(error.substr(0, expected.size() - 3), expected.substr(0, expected.size() - 3));
        else
            EXPECT_EQ(error, expected);
    }
}

}  // namespace
