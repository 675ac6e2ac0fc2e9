// The bone list merged into the model's bones, and the imported vertices
// re-bound from file bone numbers to host bone indices.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "model.h"
#include "qev_bytes.h"

namespace {

using qevtest::BoneFields;
using qevtest::ImportBytes;
using qevtest::QevBytes;
using qevtest::VertexFields;

struct MergeCase {
    const char* name;
    std::vector<std::string> modelBones;
    std::vector<std::string> fileBones;
    std::vector<std::string> bonesAfter;
    std::vector<int32_t> hostIndexOfFileBone;
};

class BoneMerge : public ::testing::TestWithParam<MergeCase> {};

// Each file bone is referenced from every slot; a naive pass per bone would
// re-bind a reference twice where a host index is also a later file number.
TEST_P(BoneMerge, FindsOrAddsBonesAndRebindsEveryReferenceOnce) {
    const MergeCase& c = GetParam();
    const int32_t n = static_cast<int32_t>(c.fileBones.size());
    msModel model;
    for (const std::string& name : c.modelBones) qevmodel::AddBone(model, name);
    msMesh& before = qevmodel::AddMesh(model, "before");  // references here are not this file's
    before.vertices.resize(1);
    before.vertices[0].boneIndex = 0;
    before.vertices[0].ex.boneIndices[0] = 1;

    QevBytes file(2);
    file.I32(1).I32(n + 1);
    for (int32_t b = 0; b < n; ++b) {
        VertexFields v;
        v.boneAssignments = {b, (b + 1) % n, (b + 2) % n, b};
        file.Vertex(v);
    }
    VertexFields outside;  // values that name no bone of this file
    outside.boneAssignments = {-1, n, 1000, INT32_MIN};
    file.Vertex(outside).I32(0);
    file.I32(n);
    for (const std::string& name : c.fileBones) file.Bone({name, {}, {}});

    ASSERT_EQ(ImportBytes(model, file.Bytes()), 0);
    std::vector<std::string> bonesAfter;
    for (const msBone& bone : model.bones) bonesAfter.push_back(bone.name);
    EXPECT_EQ(bonesAfter, c.bonesAfter);

    ASSERT_EQ(model.meshes.size(), 2u);
    EXPECT_EQ(model.meshes[0].vertices[0].boneIndex, 0);
    EXPECT_EQ(model.meshes[0].vertices[0].ex.boneIndices[0], 1);
    const msMesh& imported = model.meshes[1];
    ASSERT_EQ(imported.vertices.size(), static_cast<size_t>(n + 1));
    const std::vector<int32_t>& h = c.hostIndexOfFileBone;
    for (int32_t b = 0; b < n; ++b) {
        const msVertex& v = imported.vertices[b];
        EXPECT_EQ(v.boneIndex, h[b]) << "vertex " << b;
        EXPECT_EQ(v.ex.boneIndices[0], h[(b + 1) % n]) << "vertex " << b;
        EXPECT_EQ(v.ex.boneIndices[1], h[(b + 2) % n]) << "vertex " << b;
        EXPECT_EQ(v.ex.boneIndices[2], h[b]) << "vertex " << b;
    }
    const msVertex& last = imported.vertices[n];
    EXPECT_EQ(last.boneIndex, -1);
    EXPECT_EQ(last.ex.boneIndices[0], n);
    EXPECT_EQ(last.ex.boneIndices[1], 1000);
    EXPECT_EQ(last.ex.boneIndices[2], INT32_MIN);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, BoneMerge,
    ::testing::Values(MergeCase{"AllNew", {}, {"X", "Y", "Z"}, {"X", "Y", "Z"}, {0, 1, 2}},
                      MergeCase{"AddedAfterTheModelsBones", {"A", "B"}, {"X", "Y", "Z"},
                                {"A", "B", "X", "Y", "Z"}, {2, 3, 4}},
                      MergeCase{"OneFoundOneAdded", {"A", "B"}, {"B", "C"}, {"A", "B", "C"}, {1, 2}},
                      MergeCase{"FoundInReverse", {"A", "B", "C"}, {"C", "B", "A"}, {"A", "B", "C"}, {2, 1, 0}},
                      MergeCase{"DuplicateInTheFile", {}, {"D", "E", "D"}, {"D", "E"}, {0, 1, 0}},
                      MergeCase{"DuplicateOfAModelBone", {"A"}, {"A", "A"}, {"A"}, {0, 0}}),
    [](const ::testing::TestParamInfo<MergeCase>& row) { return std::string(row.param.name); });

void ExpectPose(const msBone& bone, float position, float rotation) {
    for (int n = 0; n < 3; ++n) {
        EXPECT_EQ(bone.position[n], position) << bone.name;
        EXPECT_EQ(bone.rotation[n], rotation) << bone.name;
    }
}

TEST(BoneMergePose, AFoundBoneKeepsItsOwnPoseAndTheFirstOfTwoNamesGivesIt) {
    msModel model;
    msBone& existing = qevmodel::AddBone(model, "B");
    for (int n = 0; n < 3; ++n) existing.position[n] = existing.rotation[n] = 9;
    QevBytes file(4);
    file.I32(0).I32(3);
    file.Bone({"B", {1, 1, 1}, {1, 1, 1}});
    file.Bone({"C", {2, 2, 2}, {3, 3, 3}});
    file.Bone({"C", {4, 4, 4}, {5, 5, 5}});
    ASSERT_EQ(ImportBytes(model, file.Bytes()), 0);
    ASSERT_EQ(model.bones.size(), 2u);
    ExpectPose(model.bones[0], 9, 9);
    ExpectPose(model.bones[1], 2, 3);
}

}  // namespace
