// A rich file of each version cut at every length 0 to N-1: the import never
// fails and the model holds exactly the items read whole from the bytes that
// are there, each equal to the same item of the whole file's import.
//
// The expected model for a cut comes from the whole file's import and the
// record boundaries the writer noted: an item is there when its record ends
// within the cut.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "damaged_support.h"
#include "host_call_count.h"

namespace {

using damaged::Bytes;
using damaged::FileLayout;
using damaged::ImportBytes;
using damaged::QevWriter;
using damaged::Summary;

const std::string kLongMeshName(130, 'n');  // kept as its first 127 bytes
const std::string kLongBoneName(120, 'b');  // kept as its first 99 bytes

// Three mesh blocks (with and without vertices, geostates from version 3 on,
// names from version 4 on) and five bones, one named twice, one unnamed.
// References name file bones, and values past the bone list and -1.
QevWriter RichFile(int32_t version) {
    QevWriter file(version);
    file.I32(3);
    file.BeginMesh(3);
    file.Vertex({1, 2, 3}, 11, 21, {0, 1, 2, 3}, {0.5f, 0.3f, 0.2f, 0});
    file.Vertex({4, 5, 6}, 12, 22, {4, -1, 5, 1000}, {0.7f, 0.3f, 0, 0});
    file.Vertex({7, 8, 9}, 13, 23, {2, 2, 4, 0}, {1, 0, 0, 0});
    file.Triangles(2, 0);
    if (version >= 3) file.I32(2).Geostate(1).Geostate(0);
    if (version >= 4) file.MeshName("body");
    file.BeginMesh(0).Triangles(1, 7);
    if (version >= 3) file.I32(0);
    if (version >= 4) file.MeshName("");
    file.BeginMesh(1);
    file.Vertex({-1, -2, -3}, 14, 24, {3, 0, -1, 4}, {0.125f, 0.125f, 0.75f, 0});
    file.Triangles(0, 0);
    if (version >= 3) file.I32(1).Geostate(2);
    if (version >= 4) file.MeshName(kLongMeshName);
    file.I32(5);
    file.Bone("root", {1, 2, 3, 0.5f, 0, 0});
    file.Bone("arm", {4, 5, 6, 0, 0.5f, 0});
    file.Bone("root", {7, 8, 9, 0, 0, 0.5f});
    file.Bone("", {});
    file.Bone(kLongBoneName, {1, 1, 1, 1, 1, 1});
    return file;
}

msModel EmptyModel() { return msModel(); }

// A model the file's bones partly match ("arm"), with a mesh of its own.
msModel ModelWithContent() {
    msModel model;
    msMesh& mesh = qevmodel::AddMesh(model, "old");
    mesh.vertices.resize(1);
    mesh.vertices[0].boneIndex = 1;
    mesh.vertices[0].ex.boneIndices[0] = 0;
    qevmodel::AddBone(model, "x");
    qevmodel::AddBone(model, "arm");
    return model;
}

size_t CountWithin(const std::vector<size_t>& ends, size_t length) {
    return size_t(std::count_if(ends.begin(), ends.end(), [&](size_t end) { return end <= length; }));
}

bool HasBone(const msModel& model, size_t count, const std::string& name) {
    for (size_t b = 0; b < count; ++b) {
        if (model.bones[b].name == name) return true;
    }
    return false;
}

// The model a cut at length gives: the start model, then of the whole import
// what the records ending within length built, names set only when read whole
// and references re-bound only to the bones read whole.
msModel ExpectedAfterCut(const msModel& start, const msModel& whole, const FileLayout& layout, size_t length) {
    msModel expected = start;
    const size_t bonesRead = CountWithin(layout.boneEnds, length);

    const size_t firstNew = start.meshes.size();
    for (size_t m = 0; m < layout.meshes.size() && layout.meshes[m].createdAt <= length; ++m) {
        const damaged::MeshLayout& mesh = layout.meshes[m];
        const msMesh& full = whole.meshes.at(firstNew + m);
        msMesh& cut = expected.meshes.emplace_back();
        if (mesh.nameEnd != 0 && mesh.nameEnd <= length)
            cut.name = full.name;
        else if (mesh.numVertices > 0)
            cut.name = "group_" + std::to_string(mesh.blockNumber);
        else
            cut.name = "mesh" + std::to_string(firstNew + m);  // the stand-in's name for a new mesh
        const size_t vertices = CountWithin(mesh.vertexEnds, length);
        cut.vertices.assign(full.vertices.begin(), full.vertices.begin() + std::ptrdiff_t(vertices));
        for (size_t v = 0; v < vertices; ++v) {
            int32_t* references[4] = {&cut.vertices[v].boneIndex, &cut.vertices[v].ex.boneIndices[0],
                                      &cut.vertices[v].ex.boneIndices[1], &cut.vertices[v].ex.boneIndices[2]};
            for (int r = 0; r < 4; ++r) {
                const int32_t written = mesh.vertexBones[v][r];
                if (written < 0 || size_t(written) >= bonesRead) *references[r] = written;
            }
        }
        const size_t triangles = CountWithin(mesh.triangleEnds, length);
        cut.triangles.assign(full.triangles.begin(), full.triangles.begin() + std::ptrdiff_t(triangles));
    }

    // New bones come in file order, one per name the model did not hold yet.
    size_t bones = start.bones.size();
    for (size_t b = 0; b < bonesRead; ++b) {
        const std::string name = layout.boneNames[b].substr(0, 99);
        if (!HasBone(whole, bones, name)) ++bones;
    }
    expected.bones.assign(whole.bones.begin(), whole.bones.begin() + std::ptrdiff_t(bones));
    return expected;
}

struct CutCase {
    int32_t version;
    msModel (*start)();
    const char* label;
};

void PrintTo(const CutCase& c, std::ostream* out) { *out << c.label; }

class EveryCut : public ::testing::TestWithParam<CutCase> {};

TEST_P(EveryCut, KeepsExactlyTheRecordsReadWhole) {
    const QevWriter file = RichFile(GetParam().version);
    const msModel start = GetParam().start();
    msModel whole = start;
    ASSERT_EQ(ImportBytes(whole, file.bytes()), 0);
    // The whole file's import is the reference: check that it holds everything.
    ASSERT_EQ(whole.meshes.size(), start.meshes.size() + file.layout().meshes.size()) << Summary(whole);

    const int64_t wholeCalls = testsupport::HostCallsOf([&] {
        msModel model = start;
        ImportBytes(model, file.bytes());
    });
    for (size_t length = 0; length < file.size(); ++length) {
        const Bytes cut(file.bytes().begin(), file.bytes().begin() + std::ptrdiff_t(length));
        msModel model = start;
        int result = -2;
        // A cut file is no more work than the whole one, whatever its counts announce.
        const int64_t calls = testsupport::HostCallsOf([&] { result = ImportBytes(model, cut); });
        ASSERT_EQ(result, 0) << "cut at " << length;
        ASSERT_LE(calls, wholeCalls) << "cut at " << length;
        const msModel expected = ExpectedAfterCut(start, whole, file.layout(), length);
        ASSERT_TRUE(qevmodel::SameContent(model, expected))
            << "cut at " << length << " of " << file.size() << "\n got      " << Summary(model)
            << "\n expected " << Summary(expected);
    }
}

INSTANTIATE_TEST_SUITE_P(Versions, EveryCut,
                         ::testing::Values(CutCase{1, EmptyModel, "Version1IntoEmptyModel"},
                                           CutCase{2, EmptyModel, "Version2IntoEmptyModel"},
                                           CutCase{3, EmptyModel, "Version3IntoEmptyModel"},
                                           CutCase{4, EmptyModel, "Version4IntoEmptyModel"},
                                           CutCase{1, ModelWithContent, "Version1IntoModel"},
                                           CutCase{4, ModelWithContent, "Version4IntoModel"}),
                         [](const ::testing::TestParamInfo<CutCase>& row) { return std::string(row.param.label); });

// The reader refills a 16 KiB buffer: records that straddle a refill are
// read whole, and a cut just before or after the refill point keeps exactly
// what it should.
TEST(EveryCutAcrossTheReadBuffer, KeepsExactlyTheRecordsReadWhole) {
    QevWriter file(4);
    file.I32(1).BeginMesh(400);
    for (int32_t v = 0; v < 400; ++v)
        file.Vertex({float(v), 1, 2}, v, -v, {v % 3, 1, 2, -1}, {0.7f, 0.2f, 0.1f, 0});
    file.Triangles(3, 0).I32(1).Geostate(1).MeshName("wide");
    file.I32(3).Bone("a", {}).Bone("b", {}).Bone("c", {});
    ASSERT_GT(file.size(), 16384u + 200u);

    const msModel start = ModelWithContent();
    msModel whole = start;
    ASSERT_EQ(ImportBytes(whole, file.bytes()), 0);
    std::vector<size_t> lengths;
    for (size_t length = 16384 - 160; length <= 16384 + 160; ++length) lengths.push_back(length);
    for (size_t length = file.size() - 120; length < file.size(); ++length) lengths.push_back(length);
    for (size_t length : lengths) {
        const Bytes cut(file.bytes().begin(), file.bytes().begin() + std::ptrdiff_t(length));
        msModel model = start;
        ASSERT_EQ(ImportBytes(model, cut), 0) << "cut at " << length;
        const msModel expected = ExpectedAfterCut(start, whole, file.layout(), length);
        ASSERT_TRUE(qevmodel::SameContent(model, expected))
            << "cut at " << length << "\n got      " << Summary(model) << "\n expected " << Summary(expected);
    }
}

}  // namespace
