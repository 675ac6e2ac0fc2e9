// The bytes of exported files, checked against hex written out from the
// format's tables.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "export_command.h"
#include "export_test_support.h"

namespace {

using namespace exporttest;

std::string Repeat(const std::string& text, int times) {
    std::string out;
    for (int i = 0; i < times; ++i) out += text;
    return out;
}

class ExportLayout : public ::testing::Test {
protected:
    // Exports the model and returns the file's bytes; the export must succeed.
    Bytes Export() {
        const std::string path = folder.File("out.qev");
        EXPECT_EQ(ExportQevFile(&model, path.c_str()), 0);
        EXPECT_EQ(model.destroyCalls, 1);
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.qev"});
        return ReadFile(path);
    }

    ScratchFolder folder;
    msModel model;
};

TEST_F(ExportLayout, OneMeshWithThreeVerticesAndOneTriangleIs248Bytes) {
    msMesh& mesh = qevmodel::AddMesh(model, "m");
    msVertex& v0 = AddVertex(mesh, 1.0f, 2.0f, -3.0f);
    v0.ex.extra[0] = 7;
    v0.ex.extra[1] = 0xFFFFFFFFu;
    v0.boneIndex = 0;
    v0.ex.boneIndices[0] = 1;
    v0.ex.boneIndices[1] = -1;
    v0.ex.boneIndices[2] = 2;
    SetWeights(v0, 50, 30, 20);
    msVertex& v1 = AddVertex(mesh, 0.5f, 0.0f, 0.0f);
    v1.ex.extra[1] = 0x12345678u;
    SetWeights(v1, 0, 0, 0);
    msVertex& v2 = AddVertex(mesh, 0.0f, 0.0f, 0.25f);
    v2.ex.extra[0] = 0xFFFFFFFEu;
    v2.boneIndex = 3;
    SetWeights(v2, 70, 30, 20);
    msTriangle& triangle = AddTriangle(mesh, 0, 1, 65535);
    const float normals[3][3] = {{0, 0, 1}, {0, 1, 0}, {-1, 0, 0}};
    const float uvs[3][2] = {{0, 1}, {1, 0}, {0.5f, 0.25f}};
    for (int c = 0; c < 3; ++c) {
        for (int n = 0; n < 3; ++n) triangle.ex.normals[c][n] = normals[c][n];
        for (int n = 0; n < 2; ++n) triangle.ex.texCoords[c][n] = uvs[c][n];
    }

    const Bytes expected = FromHex(
        "04000000 01000000"  // version, numMeshes
        "03000000"           // numVertices
        // vertex 0: position, vertexId 7, tagVal -1, bones 0 1 -1 2, weights .5 .3 .2 0
        "0000803F 00000040 000040C0 07000000 FFFFFFFF"
        "00000000 01000000 FFFFFFFF 02000000"
        "0000003F 9A99993E CDCC4C3E 00000000"
        // vertex 1: tagVal 12345678, no bones, weights 0 0 0 and a fourth of 1.0
        "0000003F 00000000 00000000 00000000 78563412"
        "FFFFFFFF FFFFFFFF FFFFFFFF FFFFFFFF"
        "00000000 00000000 00000000 0000803F"
        // vertex 2: vertexId -2, bone 3, weights .7 .3 .2 and a fourth of -0.2
        "00000000 00000000 0000803E FEFFFFFF 00000000"
        "03000000 FFFFFFFF FFFFFFFF FFFFFFFF"
        "3333333F 9A99993E CDCC4C3E CDCC4CBE"
        "01000000"  // numTriangles
        // corners: index, normal, uv
        "0000 00000000 00000000 0000803F 00000000 0000803F"
        "0100 00000000 0000803F 00000000 0000803F 00000000"
        "FFFF 000080BF 00000000 00000000 0000003F 0000803E"
        "00000000"  // numGeostates
        "01 6D"     // strLen, groupName "m"
        "00000000"  // numBones
    );
    ASSERT_EQ(expected.size(), 248u);
    const Bytes written = Export();
    EXPECT_EQ(written.size(), 248u);
    EXPECT_EQ(ToHex(written), ToHex(expected));
}

TEST_F(ExportLayout, EmptyMeshNamedAIs26Bytes) {
    qevmodel::AddMesh(model, "a");
    EXPECT_EQ(ToHex(Export()), ToHex(FromHex("04000000 01000000 00000000 00000000 00000000 01 61 00000000")));
}

struct WeightCase {
    int32_t percent[3];
    const char* weightsHex;  // the four float32 weights as stored
};

void PrintTo(const WeightCase& weights, std::ostream* out) {
    *out << weights.percent[0] << "/" << weights.percent[1] << "/" << weights.percent[2];
}

class ExportWeights : public ExportLayout, public ::testing::WithParamInterface<WeightCase> {};

TEST_P(ExportWeights, PercentagesBecomeNearestFloatFractionsWithUnclampedRemainder) {
    msMesh& mesh = qevmodel::AddMesh(model, "");
    msVertex& vertex = AddVertex(mesh, 0, 0, 0);
    SetWeights(vertex, GetParam().percent[0], GetParam().percent[1], GetParam().percent[2]);
    const Bytes written = Export();
    ASSERT_EQ(written.size(), 8u + 4 + 52 + 4 + 4 + 1 + 4);
    const Bytes weights(written.begin() + 12 + 36, written.begin() + 12 + 52);
    EXPECT_EQ(ToHex(weights), ToHex(FromHex(GetParam().weightsHex)));
}

// Big-endian hex per float would hide a byte-order fault, so these are the
// little-endian bytes of 3F000000 3E99999A 3E4CCCCD 00000000 and so on.
INSTANTIATE_TEST_SUITE_P(
    Cases, ExportWeights,
    ::testing::Values(WeightCase{{50, 30, 20}, "0000003F 9A99993E CDCC4C3E 00000000"},
                      WeightCase{{0, 0, 0}, "00000000 00000000 00000000 0000803F"},
                      WeightCase{{70, 30, 20}, "3333333F 9A99993E CDCC4C3E CDCC4CBE"},
                      WeightCase{{25, 1, 100}, "0000803E 0AD7233C 0000803F B81E85BE"},
                      // Unchecked host values wrap in 32-bit arithmetic rather than trap:
                      // 100 - INT32_MIN - 1 - 0 wraps to -2147483549.
                      WeightCase{{INT32_MIN, 1, 0}, "0AD7A3CB 0AD7233C 00000000 0AD7A3CB"}));

struct MeshNameCase {
    const char* label;
    std::string hostName;
    std::string storedHex;  // strLen and the name bytes
};

void PrintTo(const MeshNameCase& name, std::ostream* out) { *out << name.label; }

class ExportMeshNames : public ExportLayout, public ::testing::WithParamInterface<MeshNameCase> {};

TEST_P(ExportMeshNames, NameIsLengthByteAndBytesAtMost255) {
    qevmodel::AddMesh(model, GetParam().hostName);
    const Bytes expected = FromHex("04000000 01000000 00000000 00000000 00000000" + GetParam().storedHex + "00000000");
    EXPECT_EQ(ToHex(Export()), ToHex(expected));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, ExportMeshNames,
    ::testing::Values(MeshNameCase{"Empty", "", "00"},
                      MeshNameCase{"HighBytes", "\xE9\xFF", "02 E9FF"},
                      MeshNameCase{"Longest", std::string(255, 'n'), "FF" + Repeat("6E", 255)},
                      MeshNameCase{"LongerIsCut", std::string(300, 'n'), "FF" + Repeat("6E", 255)}),
    [](const ::testing::TestParamInfo<MeshNameCase>& param) { return std::string(param.param.label); });

TEST_F(ExportLayout, BonesFollowTheMeshesWithNamesOfAtMost99BytesAndTheirPose) {
    qevmodel::AddMesh(model, "");
    msBone& first = qevmodel::AddBone(model, std::string(99, 'b'));
    first.position[0] = 1;
    first.position[1] = 2;
    first.position[2] = 3;
    first.rotation[0] = 0.5f;
    first.rotation[1] = -0.5f;
    qevmodel::AddBone(model, std::string(99, 'c') + "overflow");
    qevmodel::AddBone(model, "");

    const Bytes expected = FromHex(
        "04000000 01000000 00000000 00000000 00000000 00"
        "03000000" +
        ("63" + Repeat("62", 99) + "0000803F 00000040 00004040 0000003F 000000BF 00000000") +
        ("63" + Repeat("63", 99) + Repeat("00000000", 6)) + ("00" + Repeat("00000000", 6)));
    EXPECT_EQ(ToHex(Export()), ToHex(expected));
}

TEST_F(ExportLayout, EveryMeshWritesItsBlockInHostOrder) {
    qevmodel::AddMesh(model, "x");
    msMesh& second = qevmodel::AddMesh(model, "y");
    AddTriangle(second, 1, 2, 3);
    const Bytes expected = FromHex(
        "04000000 02000000"
        "00000000 00000000 00000000 01 78"
        "00000000 01000000" +
        ("0100" + Repeat("00", 20) + "0200" + Repeat("00", 20) + "0300" + Repeat("00", 20)) +
        "00000000 01 79"
        "00000000");
    EXPECT_EQ(ToHex(Export()), ToHex(expected));
}

}  // namespace
