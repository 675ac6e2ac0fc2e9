// QEV -> glTF -> QEV with qev convert gives back the file byte for byte, for
// every kind of file the exporter writes; a version-3 file with geostates
// comes back as the model the importer makes of it.
#include <gtest/gtest.h>

#include "gltf_test_support.h"
#include "gltf_to_model.h"
#include "model_json.h"
#include "model_to_gltf.h"
#include "test_files.h"

using gltftest::Bytes;
using testsupport::ToHex;

namespace {

struct RoundTripCase {
    const char* name;
    msModel model;
};

std::vector<RoundTripCase> Cases() {
    msModel example;
    std::string error;
    if (!qevmodel::ReadModelFile(QEV_SOURCE_DIR "/examples/sample_model.json", example, error))
        throw std::runtime_error(error);
    return {{"example", example},
            {"no_bones", gltftest::RichModel(0)},
            {"one_bone", gltftest::RichModel(1)},
            {"many_bones", gltftest::RichModel(5)}};
}

TEST(GltfRoundTrip, QevToGlbAndGltfAndBackGivesTheSameBytes) {
    for (const RoundTripCase& c : Cases()) {
        for (const char* format : {"glb", "gltf"}) {
            SCOPED_TRACE(std::string(c.name) + " via ." + format);
            testsupport::ScratchFolder folder;
            const Bytes original = gltftest::ExportBytes(c.model);
            const std::string qev = folder.File("in.qev"), gltf = folder.File(std::string("mid.") + format),
                              back = folder.File("back.qev");
            ASSERT_TRUE(testsupport::WriteFile(qev, original));
            std::string errors;
            ASSERT_EQ(gltftest::RunQev({"convert", qev, gltf}, &errors), 0) << errors;
            EXPECT_EQ(errors, "");
            ASSERT_EQ(gltftest::RunQev({"convert", gltf, back}, &errors), 0) << errors;
            EXPECT_EQ(errors, "");  // nothing of a file qev wrote is left out
            EXPECT_EQ(ToHex(testsupport::ReadFile(back)), ToHex(original));
            const Bytes written = testsupport::ReadFile(gltf);
            gltftest::KeepForValidator(std::string("round_trip_") + c.name + "." + format,
                                       std::vector<unsigned char>(written.begin(), written.end()));
        }
    }
}

// Version 3, one block of three vertices and one triangle, two geostates of
// one triangle each, no names, one bone: written out from the format's tables.
Bytes GeostateFile() {
    Bytes b;
    auto i32 = [&](int32_t v) { testsupport::AppendI32(b, v); };
    auto f32 = [&](float v) { testsupport::AppendF32(b, v); };
    auto triangle = [&](uint16_t a, uint16_t c, uint16_t d, float nz) {
        for (uint16_t v : {a, c, d}) {
            testsupport::AppendU16(b, v);
            f32(0), f32(0), f32(nz), f32(0.5f), f32(0.25f);
        }
    };
    i32(3), i32(1);  // version, blocks
    i32(3);
    for (int v = 0; v < 3; ++v) {
        f32((float)v), f32(v == 2 ? 1.0f : 0.0f), f32(0);  // position
        i32(v), i32(100 + v);                               // vertexId, tagVal
        i32(0), i32(-1), i32(-1), i32(-1);                  // bone references
        f32(1.0f), f32(0), f32(0), f32(0);                  // weights
    }
    i32(1), triangle(0, 1, 2, 1.0f);
    i32(2);                              // geostates
    i32(1), triangle(2, 1, 0, -1.0f);    // geostate 0
    i32(1), triangle(0, 2, 1, 1.0f);     // geostate 1
    i32(1);                              // bones
    testsupport::AppendU8(b, 4);
    for (char ch : std::string("root")) testsupport::AppendU8(b, (uint8_t)ch);
    for (int k = 0; k < 6; ++k) f32(k == 3 ? 0.5f : 0.0f);
    return b;
}

TEST(GltfRoundTrip, GeostatesComeBackAsTheImporterMakesThem) {
    const msModel imported = gltftest::ImportModel(GeostateFile());
    ASSERT_EQ(imported.meshes.size(), 3u);  // the block, then its geostates
    std::vector<unsigned char> glb;
    std::string error;
    ASSERT_TRUE(ModelToGlb(imported, GltfOptions(), glb, error)) << error;
    gltftest::KeepForValidator("geostates.glb", glb);

    const nlohmann::json json = gltftest::GlbJson(glb);
    EXPECT_EQ(json["scene"], 0);
    EXPECT_EQ(json["scenes"][0]["name"], "model");
    EXPECT_EQ(json["scenes"][1]["name"], "geostates");
    EXPECT_EQ(json["meshes"][1]["name"], "group_0 geostate 0");
    EXPECT_EQ(json["meshes"][2]["extras"]["qev"],
              nlohmann::json({{"kind", "geostate"}, {"block", 0}, {"geostate", 1}, {"triangles", 1}, {"name", imported.meshes[2].name}}));
    // The geostate nodes are not drawn with the main scene; the skeleton root is in both.
    const int root = json["skins"][0]["skeleton"];
    EXPECT_EQ(json["scenes"][0]["nodes"], nlohmann::json({2, root}));
    EXPECT_EQ(json["scenes"][1]["nodes"], nlohmann::json({3, 4, root}));

    msModel back;
    std::vector<std::string> warnings;
    ASSERT_TRUE(GltfToModel(glb, "", GltfOptions(), back, warnings, error)) << error;
    EXPECT_TRUE(warnings.empty());
    EXPECT_TRUE(qevmodel::SameContent(back, imported));
    EXPECT_EQ(ToHex(gltftest::ExportBytes(back)), ToHex(gltftest::ExportBytes(imported)));
}

TEST(GltfRoundTrip, OptionsScaleAndFlipOnTheWayOutAndBack) {
    msModel model = gltftest::RichModel(2);
    GltfOptions options;
    options.scale = 2.0;
    options.flipV = true;
    std::vector<unsigned char> glb;
    std::string error;
    ASSERT_TRUE(ModelToGlb(model, options, glb, error)) << error;
    gltftest::KeepForValidator("scaled_flipped.glb", glb);
    options.scale = 0.5;
    msModel back;
    std::vector<std::string> warnings;
    ASSERT_TRUE(GltfToModel(glb, "", options, back, warnings, error)) << error;
    // Powers of two and 1 - (1 - v) for these v are exact: the model is back.
    EXPECT_TRUE(qevmodel::SameContent(back, model));
}

}  // namespace
