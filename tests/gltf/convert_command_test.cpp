// qev convert as a user runs it: exit status, one line per problem, and no
// file written (nor an existing one touched) when a conversion fails.
#include <gtest/gtest.h>

#include "gltf_test_support.h"
#include "model_to_gltf.h"
#include "test_files.h"

using gltftest::Bytes;
using gltftest::RunQev;
using testsupport::ReadFile;
using testsupport::ScratchFolder;
using testsupport::WriteFile;

namespace {

const Bytes kNotGltf = {'{', 'n', 'o'};

TEST(ConvertCommand, ManyFilesAtOnceAndOneFailingStillConvertsTheOthers) {
    ScratchFolder in, out;
    const Bytes qev = gltftest::ExportBytes(gltftest::RichModel(2));
    ASSERT_TRUE(WriteFile(in.File("a.qev"), qev));
    ASSERT_TRUE(WriteFile(in.File("b.gltf"), kNotGltf));
    std::string errors;
    EXPECT_EQ(RunQev({"convert", in.File("a.qev"), in.File("b.gltf"), "--to", "glb", "--out-dir", out.path()}, &errors),
              1);
    EXPECT_EQ(errors, "qev: " + in.File("b.gltf") + ": not a readable glTF: " + errors.substr(errors.find("glTF: ") + 6));
    EXPECT_EQ(std::count(errors.begin(), errors.end(), '\n'), 1);
    EXPECT_EQ(out.Names(), (std::vector<std::string>{"a.glb"}));
    const Bytes glb = ReadFile(out.File("a.glb"));
    gltftest::KeepForValidator("convert_many.glb", std::vector<unsigned char>(glb.begin(), glb.end()));

    // Back to QEV and to model JSON beside their inputs.
    EXPECT_EQ(RunQev({"convert", out.File("a.glb"), "--to", "qev"}, &errors), 0) << errors;
    EXPECT_EQ(ReadFile(out.File("a.qev")), qev);
    EXPECT_EQ(RunQev({"convert", out.File("a.qev"), "--to", "json"}, &errors), 0) << errors;
    EXPECT_TRUE(testsupport::FileExists(out.File("a.json")));
}

TEST(ConvertCommand, AFailedConversionLeavesAnExistingFileUntouchedAndNothingBeside) {
    ScratchFolder folder;
    ASSERT_TRUE(WriteFile(folder.File("bad.glb"), {'g', 'l', 'T', 'F', 2, 0, 0, 0}));
    const Bytes old = {1, 2, 3};
    ASSERT_TRUE(WriteFile(folder.File("out.qev"), old));
    std::string errors;
    EXPECT_EQ(RunQev({"convert", folder.File("bad.glb"), folder.File("out.qev")}, &errors), 1);
    EXPECT_EQ(errors.rfind("qev: " + folder.File("bad.glb") + ": not a readable .glb: ", 0), 0u) << errors;
    EXPECT_EQ(ReadFile(folder.File("out.qev")), old);
    EXPECT_EQ(folder.Names(), (std::vector<std::string>{"bad.glb", "out.qev"}));
}

// A .glb's BIN chunk is read where the file lies: a file cut inside it is
// refused by name, whatever part is missing, and nothing is written.
TEST(ConvertCommand, AGlbCutInsideItsBinChunkIsRefusedNamingIt) {
    ScratchFolder folder;
    std::vector<unsigned char> glb;
    std::string error;
    ASSERT_TRUE(ModelToGlb(gltftest::RichModel(1), GltfOptions(), glb, error)) << error;
    const uint32_t jsonLength = glb[12] | (glb[13] << 8) | (glb[14] << 16) | ((uint32_t)glb[15] << 24);
    const size_t binStart = 20 + jsonLength + 8, binLength = glb.size() - binStart;
    for (size_t kept : {binLength - 1, binLength / 2, (size_t)1}) {
        SCOPED_TRACE(kept);
        ASSERT_TRUE(WriteFile(folder.File("cut.glb"), Bytes(glb.begin(), glb.begin() + binStart + kept)));
        std::string errors;
        EXPECT_EQ(RunQev({"convert", folder.File("cut.glb"), folder.File("out.qev")}, &errors), 1);
        EXPECT_EQ(errors, "qev: " + folder.File("cut.glb") + ": not a readable .glb: the BIN chunk holds " +
                              std::to_string(kept) + " bytes where buffers/0 needs " + std::to_string(binLength) +
                              "\n");
        EXPECT_EQ(folder.Names(), (std::vector<std::string>{"cut.glb"}));
    }
    ASSERT_TRUE(WriteFile(folder.File("whole.glb"), Bytes(glb.begin(), glb.end())));
    EXPECT_EQ(RunQev({"convert", folder.File("whole.glb"), folder.File("out.qev")}), 0);
    EXPECT_EQ(ReadFile(folder.File("out.qev")), gltftest::ExportBytes(gltftest::RichModel(1)));
}

TEST(ConvertCommand, WarningsGoToStandardErrorAndDoNotFail) {
    ScratchFolder folder;
    gltftest::HandGltf gltf;
    const int positions = gltf.Floats({0, 0, 0, 1, 0, 0, 0, 1, 0}, "VEC3");
    gltf.MeshNode("m", {{"attributes", {{"POSITION", positions}}}, {"material", 0}});
    gltf.json["materials"] = {{{"name", "paint"}}};
    const std::vector<unsigned char> text = gltf.Text();
    ASSERT_TRUE(WriteFile(folder.File("in.gltf"), Bytes(text.begin(), text.end())));
    std::string errors;
    EXPECT_EQ(RunQev({"convert", folder.File("in.gltf"), folder.File("out.qev")}, &errors), 0);
    EXPECT_EQ(errors, "qev: " + folder.File("in.gltf") + ": warning: left out, QEV has no place for them: 1 material\n");
    EXPECT_TRUE(testsupport::FileExists(folder.File("out.qev")));
}

TEST(ConvertCommand, UsageErrorsExitWith2AndWriteNothing) {
    ScratchFolder folder;
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"convert"}, "qev: convert: give IN OUT, or IN... --to FORMAT\n"},
        {{"convert", "a.qev"}, "qev: convert: give IN OUT, or IN... --to FORMAT\n"},
        {{"convert", "a.qev", "b.obj"}, "qev: convert: b.obj: the extension must be .qev, .json, .glb or .gltf\n"},
        {{"convert", "a.qev", "--to", "obj"}, "qev: convert: --to obj: not one of glb, gltf, qev, json\n"},
        {{"convert", "a.qev", "b.glb", "--scale", "x"}, "qev: convert: --scale x: not a finite non-zero number\n"},
        {{"convert", "a.qev", "b.glb", "--out-dir", "d"}, "qev: convert: --out-dir goes with --to\n"},
        {{"convert", "a.qev", "--to", "glb", "--out-dir", folder.File("none")},
         "qev: convert: --out-dir " + folder.File("none") + ": not a folder\n"},
        {{"convert", "a.qev", "b.glb", "--fast"}, "qev: convert: unknown option '--fast'\n"},
    };
    for (const auto& c : cases) {
        std::string errors;
        EXPECT_EQ(RunQev(c.first, &errors), 2) << c.second;
        EXPECT_EQ(errors, c.second);
    }
    EXPECT_TRUE(folder.Names().empty());
}

TEST(ConvertCommand, RefusesToWriteOverItsInput) {
    ScratchFolder folder;
    const Bytes qev = gltftest::ExportBytes(gltftest::RichModel(1));
    ASSERT_TRUE(WriteFile(folder.File("m.qev"), qev));
    std::string errors;
    EXPECT_EQ(RunQev({"convert", folder.File("m.qev"), "--to", "qev"}, &errors), 1);
    EXPECT_EQ(errors, "qev: " + folder.File("m.qev") + ": the output " + folder.File("m.qev") +
                          " is the input itself; nothing written\n");
    EXPECT_EQ(ReadFile(folder.File("m.qev")), qev);
}

}  // namespace
