// The importer against a host that refuses: a refused add stops the import as
// if the file ended just before the refused record (what was added stays, the
// bones read whole are merged, nothing more is read or added), but the result
// is -1. Every add call of a rich file is refused in turn, and every per-mesh
// cap on vertices and triangles is tried, into an empty model and into one
// that already has meshes and bones. The model library runs with strict rules,
// so a refused handle passed back to the host would abort the test.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

#include "import_bytes.h"
#include "model.h"
#include "model_json.h"
#include "test_files.h"

namespace {

using qevmodel::HostCall;
using qevmodel::HostRules;
using testsupport::Bytes;

constexpr HostCall kAddCalls[] = {HostCall::kAddMesh, HostCall::kAddVertex, HostCall::kAddTriangle,
                                  HostCall::kAddBone};
constexpr HostCall kImportFetches[] = {HostCall::kGetMesh,     HostCall::kGetVertex,     HostCall::kGetVertexEx,
                                       HostCall::kGetTriangle, HostCall::kGetTriangleEx, HostCall::kGetBone,
                                       HostCall::kVertexCount};

// Two mesh blocks (the first with a geostate of two triangles), stored names,
// three bones of which the third repeats the first's name.
Bytes RichFile() { return testsupport::ReadFile(std::string(QEV_SOURCE_DIR) + "/tests/fuzz/seeds/rich_v4.qev"); }

// A model as a user has it: vertices bound to its bones, and a bone named
// like one of the file's, which the merge reuses instead of adding.
msModel ModelWithContent() {
    msModel model;
    msMesh& body = qevmodel::AddMesh(model, "body");
    for (int i = 0; i < 2; ++i) {
        msVertex& v = body.vertices.emplace_back();
        v.boneIndex = i;
        v.ex.boneIndices[0] = 1 - i;
    }
    body.triangles.emplace_back();
    qevmodel::AddBone(model, "hip");
    qevmodel::AddBone(model, "spine");
    return model;
}

struct Outcome {
    int result;
    msModel model;
};

Outcome Import(const msModel& start, const Bytes& bytes, const HostRules& rules) {
    qevmodel::ScopedHostRules scope(rules);
    Outcome outcome{0, start};
    outcome.result = testsupport::ImportBytes(outcome.model, bytes);
    return outcome;
}

HostRules Strict() {
    HostRules rules;
    rules.strict = true;
    return rules;
}

std::string Show(const msModel& model) { return qevmodel::PrintJson(qevmodel::ModelSummaryToJson(model)); }

Bytes Cut(const Bytes& bytes, size_t length) { return Bytes(bytes.begin(), bytes.begin() + std::ptrdiff_t(length)); }

// What the import of each cut of the file asks of the host: the add calls of
// each kind, and the most vertices and triangles in one of the new meshes.
struct CutCalls {
    int64_t adds[qevmodel::kHostCallKinds] = {};
    size_t mostVertices = 0;
    size_t mostTriangles = 0;
};

std::vector<CutCalls> CallsAtEveryCut(const msModel& start, const Bytes& bytes) {
    std::vector<CutCalls> table;
    for (size_t length = 0; length <= bytes.size(); ++length) {
        qevmodel::ScopedHostRules scope(Strict());
        msModel model = start;
        testsupport::ImportBytes(model, Cut(bytes, length));
        CutCalls calls;
        for (HostCall kind : kAddCalls) calls.adds[int(kind)] = qevmodel::HostCallsMade(kind);
        for (size_t m = start.meshes.size(); m < model.meshes.size(); ++m) {
            calls.mostVertices = std::max(calls.mostVertices, model.meshes[m].vertices.size());
            calls.mostTriangles = std::max(calls.mostTriangles, model.meshes[m].triangles.size());
        }
        table.push_back(calls);
    }
    return table;
}

// The shortest cut whose import gets as far as the refused call.
size_t FirstCutWhere(const std::vector<CutCalls>& table, const std::function<bool(const CutCalls&)>& reached) {
    for (size_t length = 0; length < table.size(); ++length) {
        if (reached(table[length])) return length;
    }
    return table.size();
}

struct StartCase {
    const char* label;
    msModel (*make)();
};

void PrintTo(const StartCase& c, std::ostream* out) { *out << c.label; }

class ImportRefusal : public ::testing::TestWithParam<StartCase> {
protected:
    // The import with the rules stops where a cut of the file at `end - 1`
    // stops: the refused record is the one that ends at `end`.
    void ExpectStopsLikeCut(const HostRules& rules, size_t end, const std::string& label) {
        ASSERT_GT(end, 0u) << label;
        ASSERT_LE(end, file.size()) << label;
        const Outcome refused = Import(start, file, rules);
        const Outcome cut = Import(start, Cut(file, end - 1), HostRules());
        EXPECT_EQ(refused.result, -1) << label;
        EXPECT_EQ(cut.result, 0) << label;
        EXPECT_TRUE(qevmodel::SameContent(refused.model, cut.model))
            << label << "\n  refused: " << Show(refused.model) << "\n  cut:     " << Show(cut.model);
    }

    const Bytes file = RichFile();
    const msModel start = GetParam().make();
    const std::vector<CutCalls> table = CallsAtEveryCut(start, file);
};

TEST_P(ImportRefusal, AHostThatRefusesNothingGetsTheWholeFile) {
    ASSERT_GT(file.size(), 500u) << "the rich file is missing";
    const Outcome strict = Import(start, file, Strict());
    const Outcome forgiving = Import(start, file, HostRules());
    EXPECT_EQ(strict.result, 0);
    EXPECT_EQ(forgiving.result, 0);
    EXPECT_TRUE(qevmodel::SameContent(strict.model, forgiving.model));
    EXPECT_EQ(strict.model.meshes.size(), start.meshes.size() + 3);
}

TEST_P(ImportRefusal, EachRefusedAddStopsTheImportThere) {
    for (HostCall kind : kAddCalls) {
        const int64_t calls = table.back().adds[int(kind)];
        EXPECT_GT(calls, 0) << "add kind " << int(kind) << " is never called";
        for (int64_t nth = 1; nth <= calls; ++nth) {
            const size_t end = FirstCutWhere(table, [&](const CutCalls& c) { return c.adds[int(kind)] >= nth; });
            ExpectStopsLikeCut(Strict().Refuse(kind, nth), end,
                               "add kind " + std::to_string(int(kind)) + ", call " + std::to_string(nth));
        }
    }
}

TEST_P(ImportRefusal, EachCapOnVerticesOrTrianglesStopsTheImportThere) {
    const size_t mostVertices = table.back().mostVertices;
    const size_t mostTriangles = table.back().mostTriangles;
    ASSERT_GE(mostVertices, 2u);
    ASSERT_GE(mostTriangles, 2u);
    for (size_t cap = 0; cap < mostVertices; ++cap) {
        HostRules rules = Strict();
        rules.maxVerticesPerMesh = int32_t(cap);
        const size_t end = FirstCutWhere(table, [&](const CutCalls& c) { return c.mostVertices > cap; });
        ExpectStopsLikeCut(rules, end, "vertex cap " + std::to_string(cap));
    }
    for (size_t cap = 0; cap < mostTriangles; ++cap) {
        HostRules rules = Strict();
        rules.maxTrianglesPerMesh = int32_t(cap);
        const size_t end = FirstCutWhere(table, [&](const CutCalls& c) { return c.mostTriangles > cap; });
        ExpectStopsLikeCut(rules, end, "triangle cap " + std::to_string(cap));
    }
    // Caps the file stays within refuse nothing.
    HostRules roomy = Strict();
    roomy.maxVerticesPerMesh = int32_t(mostVertices);
    roomy.maxTrianglesPerMesh = int32_t(mostTriangles);
    const Outcome capped = Import(start, file, roomy);
    EXPECT_EQ(capped.result, 0);
    EXPECT_TRUE(qevmodel::SameContent(capped.model, Import(start, file, HostRules()).model));
}

// A null handle leaves the item it was fetched for as the host made it, so the
// model is not a cut's; what holds: -1, nothing before the import changed, and
// nothing beyond what the whole file adds.
TEST_P(ImportRefusal, EachNullHandleStopsTheImportWithoutHarm) {
    const Outcome whole = Import(start, file, Strict());
    for (HostCall kind : kImportFetches) {
        qevmodel::SetHostRules(Strict());
        msModel counted = start;
        ASSERT_EQ(testsupport::ImportBytes(counted, file), 0);
        const int64_t calls = qevmodel::HostCallsMade(kind);
        qevmodel::SetHostRules(HostRules());
        EXPECT_GT(calls, 0) << "fetch kind " << int(kind) << " is never called";
        for (int64_t nth = 1; nth <= calls; ++nth) {
            const std::string label = "fetch kind " + std::to_string(int(kind)) + ", call " + std::to_string(nth);
            const Outcome refused = Import(start, file, Strict().Refuse(kind, nth));
            EXPECT_EQ(refused.result, -1) << label;
            const msModel& model = refused.model;
            ASSERT_LE(model.meshes.size(), whole.model.meshes.size()) << label;
            ASSERT_LE(model.bones.size(), whole.model.bones.size()) << label;
            msModel kept;
            kept.meshes.assign(model.meshes.begin(), model.meshes.begin() + std::ptrdiff_t(start.meshes.size()));
            kept.bones.assign(model.bones.begin(), model.bones.begin() + std::ptrdiff_t(start.bones.size()));
            EXPECT_TRUE(qevmodel::SameContent(kept, start)) << label << ": " << Show(model);
            for (size_t m = 0; m < model.meshes.size(); ++m) {
                EXPECT_LE(model.meshes[m].vertices.size(), whole.model.meshes[m].vertices.size()) << label;
                EXPECT_LE(model.meshes[m].triangles.size(), whole.model.meshes[m].triangles.size()) << label;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Into, ImportRefusal,
                         ::testing::Values(StartCase{"EmptyModel", [] { return msModel(); }},
                                           StartCase{"ModelWithContent", ModelWithContent}),
                         [](const ::testing::TestParamInfo<StartCase>& row) { return std::string(row.param.label); });

}  // namespace
