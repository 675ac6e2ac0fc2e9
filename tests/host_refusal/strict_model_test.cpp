// The model library's strict rules, which the refusal tests and the fuzzer
// rely on to turn an unchecked host call into a crash: every faulty call
// aborts under them and is quietly ignored under the default rules.
#include <gtest/gtest.h>

#include <functional>

#include "model.h"

namespace {

struct FaultyCall {
    const char* label;
    std::function<void(msModel&)> call;
};

void PrintTo(const FaultyCall& c, std::ostream* out) { *out << c.label; }

class FaultyCallTest : public ::testing::TestWithParam<FaultyCall> {
protected:
    // A model with one mesh of one vertex and one triangle, and one bone.
    static msModel SmallModel() {
        msModel model;
        msMesh& mesh = qevmodel::AddMesh(model, "m");
        mesh.vertices.emplace_back();
        mesh.triangles.emplace_back();
        qevmodel::AddBone(model, "b");
        return model;
    }
};

TEST_P(FaultyCallTest, AbortsUnderStrictRules) {
    msModel model = SmallModel();
    qevmodel::HostRules strict;
    strict.strict = true;
    EXPECT_DEATH(
        {
            qevmodel::SetHostRules(strict);
            GetParam().call(model);
        },
        "msModelLib \\(strict\\): ms.* was given");
}

TEST_P(FaultyCallTest, IsIgnoredUnderDefaultRules) {
    msModel model = SmallModel();
    const msModel before = model;
    GetParam().call(model);
    EXPECT_TRUE(qevmodel::SameContent(model, before));
}

float gFloats[3];
char gName[8];

INSTANTIATE_TEST_SUITE_P(
    Calls, FaultyCallTest,
    ::testing::Values(
        FaultyCall{"NullModel", [](msModel&) { msModel_AddMesh(nullptr); }},
        FaultyCall{"MeshIndexPastTheEnd", [](msModel& m) { msModel_GetMeshAt(&m, 1); }},
        FaultyCall{"NegativeBoneIndex", [](msModel& m) { msModel_GetBoneAt(&m, -1); }},
        FaultyCall{"NullMesh", [](msModel&) { msMesh_SetName(nullptr, "x"); }},
        FaultyCall{"VertexIndexPastTheEnd",
                   [](msModel& m) { msMesh_GetVertexExAt(msModel_GetMeshAt(&m, 0), 1); }},
        FaultyCall{"TriangleIndexPastTheEnd",
                   [](msModel& m) { msMesh_GetTriangleAt(msModel_GetMeshAt(&m, 0), 1); }},
        FaultyCall{"NullVertex", [](msModel&) { msVertex_SetVertex(nullptr, gFloats); }},
        FaultyCall{"BoneSlotThree",
                   [](msModel& m) {
                       msVertexEx_SetBoneIndices(msMesh_GetVertexExAt(msModel_GetMeshAt(&m, 0), 0), 3, 0);
                   }},
        FaultyCall{"ExtraSlotTwo",
                   [](msModel& m) { msVertexEx_SetExtra(msMesh_GetVertexExAt(msModel_GetMeshAt(&m, 0), 0), 2, 1); }},
        FaultyCall{"CornerThree",
                   [](msModel& m) {
                       msTriangleEx_SetNormal(msMesh_GetTriangleExAt(msModel_GetMeshAt(&m, 0), 0), 3, gFloats);
                   }},
        FaultyCall{"NullTriangleEx", [](msModel&) { msTriangleEx_GetTexCoord(nullptr, 0, gFloats); }},
        FaultyCall{"NullBone", [](msModel&) { msBone_SetPosition(nullptr, gFloats); }},
        FaultyCall{"NullNameBuffer", [](msModel& m) { msBone_GetName(msModel_GetBoneAt(&m, 0), nullptr, 8); }},
        FaultyCall{"EmptyNameBuffer",
                   [](msModel& m) { msMesh_GetName(msModel_GetMeshAt(&m, 0), gName, 0); }}),
    [](const ::testing::TestParamInfo<FaultyCall>& row) { return std::string(row.param.label); });

// Only the chosen call of a kind is refused, and counting starts again with
// new rules: the tables of the refusal tests count on both.
TEST(HostRefusal, RefusesOnlyTheChosenCallOfItsKind) {
    msModel model;
    qevmodel::ScopedHostRules rules(qevmodel::HostRules().Refuse(qevmodel::HostCall::kAddMesh, 2));
    EXPECT_EQ(msModel_AddMesh(&model), 0);
    EXPECT_EQ(msModel_AddMesh(&model), -1);
    EXPECT_EQ(msModel_AddMesh(&model), 1);
    EXPECT_EQ(msModel_AddBone(&model), 0);
    EXPECT_EQ(qevmodel::HostCallsMade(qevmodel::HostCall::kAddMesh), 3);
    qevmodel::SetHostRules(qevmodel::HostRules().Refuse(qevmodel::HostCall::kMeshCount, 1));
    EXPECT_EQ(qevmodel::HostCallsMade(qevmodel::HostCall::kAddMesh), 0);
    EXPECT_EQ(msModel_GetMeshCount(&model), -1);
    EXPECT_EQ(msModel_GetMeshCount(&model), 2);
}

TEST(HostRefusal, CapsVerticesAndTrianglesPerMesh) {
    msModel model;
    qevmodel::HostRules capped;
    capped.maxVerticesPerMesh = 1;
    capped.maxTrianglesPerMesh = 0;
    qevmodel::ScopedHostRules rules(capped);
    msMesh* first = msModel_GetMeshAt(&model, msModel_AddMesh(&model));
    msMesh* second = msModel_GetMeshAt(&model, msModel_AddMesh(&model));
    EXPECT_EQ(msMesh_AddVertex(first), 0);
    EXPECT_EQ(msMesh_AddVertex(first), -1);
    EXPECT_EQ(msMesh_AddVertex(second), 0);
    EXPECT_EQ(msMesh_AddTriangle(second), -1);
    EXPECT_EQ(msMesh_GetVertexCount(first), 1);
    EXPECT_EQ(msMesh_GetTriangleCount(second), 0);
}

}  // namespace
