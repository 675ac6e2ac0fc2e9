// The exporter against a host that answers a fetch with a null handle or a
// count with a negative number, at every such call of a model in turn: the
// export fails like a failed write (-1, no temporary file left, the target's
// old bytes kept, no msModel_Destroy, the model unchanged). The model library
// runs with strict rules, so a refused handle passed back would abort the test.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export_command.h"
#include "model.h"
#include "test_files.h"

namespace {

using qevmodel::HostCall;
using qevmodel::HostRules;

constexpr HostCall kExportFetches[] = {
    HostCall::kMeshCount,   HostCall::kGetMesh,       HostCall::kVertexCount, HostCall::kGetVertex,
    HostCall::kGetVertexEx, HostCall::kTriangleCount, HostCall::kGetTriangle, HostCall::kGetTriangleEx,
    HostCall::kBoneCount,   HostCall::kGetBone};

// Two meshes with vertices and triangles, one without either, and two bones.
msModel RichModel() {
    msModel model;
    msMesh& body = qevmodel::AddMesh(model, "body");
    for (int i = 0; i < 3; ++i) {
        msVertex& vertex = body.vertices.emplace_back();
        vertex.position[0] = float(i);
        vertex.boneIndex = i % 2;
        vertex.ex.boneWeights[0] = 100;
    }
    for (int i = 0; i < 2; ++i) body.triangles.emplace_back().vertexIndices[2] = 2;
    qevmodel::AddMesh(model, "empty");
    msMesh& arm = qevmodel::AddMesh(model, "arm");
    arm.vertices.emplace_back();
    arm.triangles.emplace_back();
    qevmodel::AddBone(model, "root").position[1] = 1.0f;
    qevmodel::AddBone(model, "tip");
    return model;
}

HostRules Strict() {
    HostRules rules;
    rules.strict = true;
    return rules;
}

const testsupport::Bytes kOldBytes = {'o', 'l', 'd'};

TEST(ExportRefusal, AHostThatRefusesNothingGetsTheFile) {
    testsupport::ScratchFolder folder;
    msModel model = RichModel();
    qevmodel::ScopedHostRules rules(Strict());
    EXPECT_EQ(ExportQevFile(&model, folder.File("model.qev").c_str()), 0);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"model.qev"});
    EXPECT_EQ(model.destroyCalls, 1);
}

TEST(ExportRefusal, EachNullHandleOrNegativeCountFailsTheExport) {
    const msModel original = RichModel();
    for (HostCall kind : kExportFetches) {
        int64_t calls = 0;
        {
            testsupport::ScratchFolder folder;
            msModel model = original;
            qevmodel::ScopedHostRules rules(Strict());
            ASSERT_EQ(ExportQevFile(&model, folder.File("model.qev").c_str()), 0);
            calls = qevmodel::HostCallsMade(kind);
        }
        EXPECT_GT(calls, 0) << "host call kind " << int(kind) << " is never made";
        for (int64_t nth = 1; nth <= calls; ++nth) {
            const std::string label = "host call kind " + std::to_string(int(kind)) + ", call " + std::to_string(nth);
            testsupport::ScratchFolder folder;
            const std::string target = folder.File("model.qev");
            ASSERT_TRUE(testsupport::WriteFile(target, kOldBytes));
            msModel model = original;
            qevmodel::ScopedHostRules rules(Strict().Refuse(kind, nth));
            EXPECT_EQ(ExportQevFile(&model, target.c_str()), -1) << label;
            EXPECT_EQ(qevmodel::HostCallsMade(kind), nth) << label << ": the export went on after the refusal";
            EXPECT_EQ(folder.Names(), std::vector<std::string>{"model.qev"}) << label;
            EXPECT_EQ(testsupport::ReadFile(target), kOldBytes) << label;
            EXPECT_EQ(model.destroyCalls, 0) << label;
            EXPECT_TRUE(qevmodel::SameContent(model, original)) << label;
        }
    }
}

}  // namespace
