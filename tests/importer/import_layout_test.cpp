// The import command over whole files: the layout of every version, geostates,
// names, and where the new meshes land.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>

#include "import_command.h"
#include "model.h"
#include "qev_bytes.h"
#include "test_files.h"
#include "win32_standin.h"

namespace {

using qevtest::BoneFields;
using qevtest::FromHex;
using qevtest::ImportBytes;
using qevtest::QevBytes;
using qevtest::SimpleTriangle;
using qevtest::Summary;
using qevtest::VertexFields;

void ExpectFloats(const float* actual, std::initializer_list<float> expected) {
    size_t n = 0;
    for (float e : expected) EXPECT_EQ(actual[n++], e) << "component " << n - 1;
}

// Version 1 written out from the tables: 48-byte vertex, no tagVal, no
// geostate count, no mesh name, bones without pose.
const char kVersion1File[] =
    "01000000 01000000"                    // version, numMeshes
    "01000000"                             // numVertices
    "0000803F 00000040 00004040"           // position 1, 2, 3
    "07000000"                             // vertexId
    "00000000 FFFFFFFF 02000000 FFFFFFFF"  // boneAssignments 0, -1, 2, -1
    "0000003F 9A99993E CDCC4C3E 00000000"  // boneWeights 0.5, 0.3, 0.2, 0
    "01000000"                             // numTriangles
    "0000 00000000 00000000 0000803F 00000000 00000000"  // corner 0: vertex 0, normal 0 0 1, uv 0 0
    "0100 0000803F 00000000 00000000 0000803F 00000000"  // corner 1: vertex 1, normal 1 0 0, uv 1 0
    "0200 00000000 0000803F 00000000 00000000 0000803F"  // corner 2: vertex 2, normal 0 1 0, uv 0 1
    "02000000"                             // numBones
    "04 726F6F74"                          // "root"
    "03 746970";                           // "tip"

TEST(ImportHexFile, Version1RecordsLandInTheirFields) {
    msModel model;
    ASSERT_EQ(ImportBytes(model, FromHex(kVersion1File)), 0);
    ASSERT_EQ(model.meshes.size(), 1u);
    const msMesh& mesh = model.meshes[0];
    EXPECT_EQ(mesh.name, "group_0");
    ASSERT_EQ(mesh.vertices.size(), 1u);
    const msVertex& v = mesh.vertices[0];
    ExpectFloats(v.position, {1, 2, 3});
    EXPECT_EQ(v.ex.extra[0], 7u);
    EXPECT_EQ(v.ex.extra[1], 0u);
    EXPECT_EQ(v.boneIndex, 0);
    EXPECT_EQ(v.ex.boneIndices[0], -1);
    EXPECT_EQ(v.ex.boneIndices[1], 2);  // not below numBones: kept
    EXPECT_EQ(v.ex.boneIndices[2], -1);
    EXPECT_EQ(v.ex.boneWeights[0], 50);
    EXPECT_EQ(v.ex.boneWeights[1], 30);
    EXPECT_EQ(v.ex.boneWeights[2], 20);
    ASSERT_EQ(mesh.triangles.size(), 1u);
    const msTriangle& t = mesh.triangles[0];
    EXPECT_EQ(t.vertexIndices[0], 0);
    EXPECT_EQ(t.vertexIndices[1], 1);
    EXPECT_EQ(t.vertexIndices[2], 2);
    ExpectFloats(t.ex.normals[0], {0, 0, 1});
    ExpectFloats(t.ex.normals[1], {1, 0, 0});
    ExpectFloats(t.ex.normals[2], {0, 1, 0});
    ExpectFloats(t.ex.texCoords[0], {0, 0});
    ExpectFloats(t.ex.texCoords[1], {1, 0});
    ExpectFloats(t.ex.texCoords[2], {0, 1});
    ASSERT_EQ(model.bones.size(), 2u);
    EXPECT_EQ(model.bones[0].name, "root");
    EXPECT_EQ(model.bones[1].name, "tip");
    for (const msBone& bone : model.bones) {
        ExpectFloats(bone.position, {0, 0, 0});
        ExpectFloats(bone.rotation, {0, 0, 0});
    }
}

// Version 4: tagVal, a geostate, the stored name and posed bones.
const char kVersion4File[] =
    "04000000 01000000"                    // version, numMeshes
    "01000000"                             // numVertices
    "000080BF 0000003F 00000040"           // position -1, 0.5, 2
    "FFFFFFFF 2A000000"                    // vertexId 0xFFFFFFFF, tagVal 42
    "01000000 00000000 FFFFFFFF 05000000"  // boneAssignments 1, 0, -1, 5
    "0000803F 00000000 00000000 00000000"  // boneWeights 1, 0, 0, 0
    "00000000"                             // numTriangles
    "01000000"                             // numGeostates
    "01000000"                             // geostateFaceIndex
    "FFFF 00000000 00000000 000080BF 0000003F 0000803F"  // vertex 65535, normal 0 0 -1, uv 0.5 1
    "0300 00000000 00000000 000080BF 00000000 00000000"
    "0400 00000000 00000000 000080BF 00000000 00000000"
    "04 626F6479"                          // "body"
    "02000000"                             // numBones
    "01 61 0000803F 00000040 00004040 00000000 00000000 0000803F"  // "a" at 1 2 3, rotation 0 0 1
    "01 62 00000000 00000000 00000000 00000000 00000000 00000000"; // "b"

TEST(ImportHexFile, Version4RecordsLandInTheirFields) {
    msModel model;
    qevmodel::AddBone(model, "b");
    ASSERT_EQ(ImportBytes(model, FromHex(kVersion4File)), 0);
    EXPECT_EQ(Summary(model), "body 1v 0t [0 1 -1 5]; mesh1 0v 1t | bones b a");
    const msVertex& v = model.meshes[0].vertices[0];
    ExpectFloats(v.position, {-1, 0.5f, 2});
    EXPECT_EQ(v.ex.extra[0], 0xFFFFFFFFu);
    EXPECT_EQ(v.ex.extra[1], 42u);
    EXPECT_EQ(v.ex.boneWeights[0], 100);
    const msTriangle& t = model.meshes[1].triangles[0];
    EXPECT_EQ(t.vertexIndices[0], 65535);  // handed on unchecked
    EXPECT_EQ(t.vertexIndices[1], 3);
    EXPECT_EQ(t.vertexIndices[2], 4);
    ExpectFloats(t.ex.normals[0], {0, 0, -1});
    ExpectFloats(t.ex.texCoords[0], {0.5f, 1});
    ExpectFloats(model.bones[1].position, {1, 2, 3});
    ExpectFloats(model.bones[1].rotation, {0, 0, 1});
}

TEST(ImportHexFile, SmallestFilesAddNothingButTheirMesh) {
    msModel model;
    ASSERT_EQ(ImportBytes(model, FromHex("04000000 00000000 00000000")), 0);
    EXPECT_EQ(Summary(model), " | bones");
    ASSERT_EQ(ImportBytes(model, FromHex("04000000 01000000 00000000 00000000 00000000 0161 00000000")), 0);
    EXPECT_EQ(Summary(model), "a 0v 0t | bones");
}

// The same content in every layout; the version field picks which fields are there.
struct VersionCase {
    int32_t version;
    const char* summary;
    uint32_t tagVal;
    bool posedBones;
};

class ImportVersions : public ::testing::TestWithParam<VersionCase> {};

TEST_P(ImportVersions, ReadsTheLayoutOfItsVersion) {
    const VersionCase& c = GetParam();
    const int32_t layout = c.version < 1 ? 1 : c.version > 4 ? 4 : c.version;
    VertexFields vertex;
    vertex.position = {1, 2, 3};
    vertex.vertexId = 11;
    vertex.tagVal = 22;
    vertex.boneAssignments = {0, 1, -1, -1};
    vertex.boneWeights = {0.25f, 0.75f, 0, 0};
    QevBytes file(c.version);
    file.I32(2).I32(1).Vertex(vertex).I32(1).Triangle(SimpleTriangle(0, 0, 0));
    if (layout >= 3) file.I32(1).I32(2).Triangle(SimpleTriangle(0, 1, 2)).Triangle(SimpleTriangle(2, 1, 0));
    if (layout >= 4) file.Text("hull");
    file.I32(0).I32(0);
    if (layout >= 3) file.I32(0);
    if (layout >= 4) file.Text("");
    file.I32(2).Bone({"root", {1, 2, 3}, {4, 5, 6}}).Bone({"tip", {7, 8, 9}, {1, 1, 1}});

    msModel model;
    ASSERT_EQ(ImportBytes(model, file.Bytes()), 0);
    EXPECT_EQ(Summary(model), c.summary);
    ASSERT_FALSE(model.meshes.empty());
    ASSERT_EQ(model.meshes[0].vertices.size(), 1u);
    const msVertex& v = model.meshes[0].vertices[0];
    ExpectFloats(v.position, {1, 2, 3});
    EXPECT_EQ(v.ex.extra[0], 11u);
    EXPECT_EQ(v.ex.extra[1], c.tagVal);
    EXPECT_EQ(v.ex.boneWeights[0], 25);
    EXPECT_EQ(v.ex.boneWeights[1], 75);
    ASSERT_EQ(model.bones.size(), 2u);
    if (c.posedBones) {
        ExpectFloats(model.bones[0].position, {1, 2, 3});
        ExpectFloats(model.bones[0].rotation, {4, 5, 6});
    } else {
        ExpectFloats(model.bones[0].position, {0, 0, 0});
        ExpectFloats(model.bones[0].rotation, {0, 0, 0});
    }
}

const char kBeforeGeostates[] = "group_0 1v 1t [0 1 -1 -1]; mesh1 0v 0t | bones root tip";
const char kWithGeostates[] = "group_0 1v 1t [0 1 -1 -1]; mesh1 0v 2t; mesh2 0v 0t | bones root tip";
const char kWithNames[] = "hull 1v 1t [0 1 -1 -1]; mesh1 0v 2t;  0v 0t | bones root tip";

INSTANTIATE_TEST_SUITE_P(EveryVersionField, ImportVersions,
                         ::testing::Values(VersionCase{1, kBeforeGeostates, 0, false},
                                           VersionCase{2, kBeforeGeostates, 22, true},
                                           VersionCase{3, kWithGeostates, 22, true},
                                           VersionCase{4, kWithNames, 22, true},
                                           VersionCase{0, kBeforeGeostates, 0, false},
                                           VersionCase{-1, kBeforeGeostates, 0, false},
                                           VersionCase{7, kWithNames, 22, true}));

TEST(ImportGeostates, EachBlocksGeostateMeshesFollowItAndHoldOnlyTriangles) {
    VertexFields vertex;
    vertex.boneAssignments = {0, -1, -1, -1};
    QevBytes file(3);
    file.I32(2);
    file.I32(1).Vertex(vertex).I32(0).I32(2);                   // block 0: two geostates
    file.I32(1).Triangle(SimpleTriangle(0, 0, 0));              // geostate 0: one triangle
    file.I32(2).Triangle(SimpleTriangle(1, 1, 1)).Triangle(SimpleTriangle(2, 2, 2));
    file.I32(2).Vertex(vertex).Vertex(vertex).I32(1).Triangle(SimpleTriangle(0, 1, 1)).I32(0);  // block 1
    file.I32(1).Bone({"root", {}, {}});

    msModel model;
    qevmodel::AddBone(model, "first");
    ASSERT_EQ(ImportBytes(model, file.Bytes()), 0);
    // Block 1's vertices are re-bound although geostate meshes sit between the blocks.
    EXPECT_EQ(Summary(model), "group_0 1v 0t [1 -1 -1 -1]; mesh1 0v 1t; mesh2 0v 2t; group_1 2v 1t [1 -1 -1 -1]"
                              " | bones first root");
    EXPECT_EQ(model.meshes[2].triangles[1].vertexIndices[0], 2);
    EXPECT_EQ(model.meshes[3].vertices[1].boneIndex, 1);
}

TEST(ImportGroupNames, CountBlocksInTheFileNotHostMeshes) {
    msModel model;
    qevmodel::AddMesh(model, "old").vertices.resize(2);
    qevmodel::AddMesh(model, "older");
    const msModel before = model;
    QevBytes file(2);
    file.I32(3);
    for (int block = 0; block < 3; ++block) {
        file.I32(block == 1 ? 0 : 1);  // block 1 announces no vertex: keeps the host's name
        if (block != 1) file.Vertex(VertexFields{});
        file.I32(0);
    }
    file.I32(0);
    ASSERT_EQ(ImportBytes(model, file.Bytes()), 0);
    EXPECT_EQ(Summary(model),
              "old 2v 0t [-1 -1 -1 -1]; older 0v 0t; group_0 1v 0t [-1 -1 -1 -1]; mesh3 0v 0t;"
              " group_2 1v 0t [-1 -1 -1 -1] | bones");
    EXPECT_TRUE(qevmodel::SameContent(before, [&] {
        msModel firstTwo = model;
        firstTwo.meshes.resize(2);
        return firstTwo;
    }()));
}

// Stored names: what is kept, and the stream stays in step after a long one.
struct NameCase {
    size_t strLen;
    size_t kept;
};

std::string NameBytes(size_t length) {
    std::string name;
    for (size_t i = 0; i < length; ++i) name += static_cast<char>(1 + i % 255);  // every byte but NUL
    return name;
}

class ImportMeshNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(ImportMeshNames, KeepTheFirst127BytesAndReadPastTheRest) {
    const std::string stored = NameBytes(GetParam().strLen);
    QevBytes file(4);
    file.I32(2);
    file.I32(0).I32(0).I32(0).Text(stored);
    file.I32(0).I32(0).I32(0).Text("next");
    file.I32(1).Bone({"root", {1, 2, 3}, {}});
    msModel model;
    ASSERT_EQ(ImportBytes(model, file.Bytes()), 0);
    ASSERT_EQ(model.meshes.size(), 2u);
    EXPECT_EQ(model.meshes[0].name, stored.substr(0, GetParam().kept));
    EXPECT_EQ(model.meshes[1].name, "next");
    ASSERT_EQ(model.bones.size(), 1u);
    ExpectFloats(model.bones[0].position, {1, 2, 3});
}

INSTANTIATE_TEST_SUITE_P(Lengths, ImportMeshNames,
                         ::testing::Values(NameCase{0, 0}, NameCase{1, 1}, NameCase{127, 127},
                                           NameCase{128, 127}, NameCase{255, 127}));

class ImportBoneNames : public ::testing::TestWithParam<NameCase> {};

TEST_P(ImportBoneNames, KeepTheFirst99BytesAndReadPastTheRest) {
    const std::string stored = NameBytes(GetParam().strLen);
    QevBytes file(2);
    file.I32(0).I32(2).Bone({stored, {}, {}}).Bone({"next", {1, 2, 3}, {4, 5, 6}});
    msModel model;
    ASSERT_EQ(ImportBytes(model, file.Bytes()), 0);
    ASSERT_EQ(model.bones.size(), 2u);
    EXPECT_EQ(model.bones[0].name, stored.substr(0, GetParam().kept));
    EXPECT_EQ(model.bones[1].name, "next");
    ExpectFloats(model.bones[1].rotation, {4, 5, 6});
}

INSTANTIATE_TEST_SUITE_P(Lengths, ImportBoneNames,
                         ::testing::Values(NameCase{0, 0}, NameCase{99, 99}, NameCase{100, 99},
                                           NameCase{255, 99}));

class ImportMeshCounts : public ::testing::TestWithParam<int32_t> {};

TEST_P(ImportMeshCounts, NoBlockForACountOfZeroOrLessButTheBonesAreRead) {
    QevBytes file(4);
    file.I32(GetParam()).I32(1).Bone({"root", {}, {}});
    msModel model;
    ASSERT_EQ(ImportBytes(model, file.Bytes()), 0);
    EXPECT_EQ(Summary(model), " | bones root");
}

INSTANTIATE_TEST_SUITE_P(ZeroOrLess, ImportMeshCounts, ::testing::Values(0, -1, INT32_MIN));

TEST(ImportOpening, EmptyFileAddsNothing) {
    msModel model;
    qevmodel::AddMesh(model, "kept");
    const msModel before = model;
    EXPECT_EQ(ImportBytes(model, {}), 0);
    EXPECT_TRUE(qevmodel::SameContent(model, before));
}

// A folder opens for reading on some systems; like anything but a regular
// file it is no model file on any of them.
TEST(ImportOpening, PathThatIsNoRegularFileIsMinusOneAndLeavesTheModel) {
    const testsupport::ScratchFolder folder;
    for (const std::string& path : {std::string("/nonexistent-folder/model.qev"), folder.path(),
                                    std::string("/dev/null")}) {
        msModel model;
        qevmodel::AddMesh(model, "kept");
        const msModel before = model;
        EXPECT_EQ(ImportQevFile(&model, path.c_str()), -1) << path;
        EXPECT_TRUE(qevmodel::SameContent(model, before)) << path;
    }
}

TEST(ImportOpening, TheCommandImportsThePathTheDialogChose) {
    standin::ResetWin32StandIn();
    qevtest::TempFile file(FromHex(kVersion1File));
    standin::ScriptDialogAnswer(file.Path());
    msModel model;
    EXPECT_EQ(RunImportCommand(&model), 0);
    EXPECT_EQ(Summary(model), "group_0 1v 1t [0 -1 2 -1] | bones root tip");
    standin::ResetWin32StandIn();
}

}  // namespace
