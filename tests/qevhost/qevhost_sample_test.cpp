// The example model through both plug-ins: the exporter's file byte for byte
// against the layout written out by hand, and the import of that file.
#include <gtest/gtest.h>

#include "model_json.h"
#include "qevhost_runner.h"
#include "test_files.h"

namespace {

using qevmodel::Json;

const std::string kSampleModel = std::string(QEV_SOURCE_DIR) + "/examples/sample_model.json";

// examples/sample_model.json as a version-4 file. Vertex: position, vertexId
// (extra 0), tagVal (extra 1), four bone references, four weights (the three
// percentages / 100 and the remainder). Corner: index, normal, uv.
const char kSampleFileHex[] =
    "04000000 02000000"  // version 4, two meshes
    // mesh "body"
    "04000000"  // four vertices
    "000080BF 00000000 00000000  00000000 00000000  00000000 FFFFFFFF FFFFFFFF FFFFFFFF"
    "  0000803F 00000000 00000000 00000000"  // (-1,0,0) bone 0 100%
    "0000803F 00000000 00000000  01000000 00000000  00000000 01000000 FFFFFFFF FFFFFFFF"
    "  3333333F 9A99993E 00000000 00000000"  // (1,0,0) 0.7 0.3
    "0000803F 00000040 00000000  02000000 FFFFFFFF  01000000 00000000 02000000 FFFFFFFF"
    "  0000003F 9A99993E CDCC4C3E 00000000"  // (1,2,0) tag -1, 0.5 0.3 0.2
    "000080BF 00000040 00000000  03000000 07000000  01000000 02000000 FFFFFFFF FFFFFFFF"
    "  9A99193F CDCCCC3E 00000000 00000000"  // (-1,2,0) 0.6 0.4
    "02000000"  // two triangles
    "0000 00000000 00000000 0000803F 00000000 00000000"
    "0100 00000000 00000000 0000803F 0000803F 00000000"
    "0200 00000000 00000000 0000803F 0000803F 0000803F"  // 0 1 2, normals +z, uv (0,0) (1,0) (1,1)
    "0000 00000000 00000000 0000803F 00000000 00000000"
    "0200 00000000 00000000 0000803F 0000803F 0000803F"
    "0300 00000000 00000000 0000803F 00000000 0000803F"  // 0 2 3, uv (0,0) (1,1) (0,1)
    "00000000"        // no geostates
    "04 626F6479"     // "body"
    // mesh "visor"
    "03000000"  // three vertices
    "000000BF 00002040 0000003F  0A000000 00000000  02000000 03000000 FFFFFFFF FFFFFFFF"
    "  0000403F 0000803E 00000000 00000000"  // (-0.5,2.5,0.5) 0.75 0.25
    "0000003F 00002040 0000003F  0B000000 00000000  02000000 03000000 01000000 00000000"
    "  CDCCCC3E 3333B33E 9A99193E CDCCCC3D"  // (0.5,2.5,0.5) 0.4 0.35 0.15, remainder 0.1
    "00000000 00004040 0000003F  F9FFFFFF FFFFFFFF  03000000 FFFFFFFF FFFFFFFF FFFFFFFF"
    "  0000803F 00000000 00000000 00000000"  // (0,3,0.5) extras -7 -1, 100%
    "01000000"  // one triangle
    "0000 00000000 00000000 0000803F 00000000 00000000"
    "0100 00000000 00000000 0000803F 0000803F 00000000"
    "0200 00000000 9A99193F CDCC4C3F 0000003F 0000803F"  // last normal (0,0.6,0.8), uv (0.5,1)
    "00000000"        // no geostates
    "05 7669736F72"   // "visor"
    "04000000"  // four bones: name, position, rotation
    "04 726F6F74          00000000 00000000 00000000  00000000 00000000 00000000"  // root
    "05 7370696E65        00000000 0000803F 00000000  00000000 00000000 0000003F"  // spine
    "04 68656164          00000000 00002040 00000000  0000803E 00000000 00000000"  // head
    "08 6DE263686F697265  00000000 00001040 0000003F  000000BF 00000000 00000000"; // m\xE2choire

TEST(QevhostSample, ExportWritesTheLayoutByteForByteAndDestroysTheModelOnce) {
    testsupport::ScratchFolder scratch;
    const QevhostRun run = RunQevhost({"export", kSampleModel, scratch.File("sample.qev")});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    Json report = run.Report();
    EXPECT_EQ(report["result"], 0);
    EXPECT_EQ(report["destroy_calls"], 1);
    EXPECT_EQ(report["message_boxes"], Json::array());
    const testsupport::Bytes expected = testsupport::FromHex(kSampleFileHex);
    ASSERT_EQ(expected.size(), 730u);
    EXPECT_EQ(testsupport::ReadFile(scratch.File("sample.qev")), expected);
}

TEST(QevhostSample, ExportedThenImportedIntoAnEmptyModelComesBackEqual) {
    testsupport::ScratchFolder scratch;
    const std::string file = scratch.File("sample.qev");
    ASSERT_EQ(RunQevhost({"export", kSampleModel, file}).exitStatus, 0);
    const QevhostRun run = RunQevhost({"import", file});
    ASSERT_EQ(run.exitStatus, 0) << run.err;

    msModel example;
    msModel imported;
    std::string error;
    ASSERT_TRUE(qevmodel::ReadModelFile(kSampleModel, example, error)) << error;
    ASSERT_TRUE(qevmodel::AddModelFromJson(run.Report()["model"], imported, error)) << error;
    EXPECT_TRUE(qevmodel::SameContent(imported, example)) << run.out;
}

}  // namespace
