// Files that end early or announce more than they hold: only records read
// whole reach the model, reading stops at the first short read, and the bones
// read whole are still merged.
#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "host_call_count.h"
#include "model.h"
#include "qev_bytes.h"

namespace {

using qevtest::ImportBytes;
using qevtest::QevBytes;
using qevtest::SimpleTriangle;
using qevtest::Summary;
using qevtest::VertexFields;

// A whole version-4 file with a mark at the start of every record and count.
QevBytes MarkedFile() {
    VertexFields first;
    first.boneAssignments = {0, 1, -1, 5};
    QevBytes file(4);
    file.Mark("numMeshes").I32(2);
    file.Mark("numVertices0").I32(2).Mark("vertex0").Vertex(first).Mark("vertex1").Vertex(first);
    file.Mark("numTriangles").I32(1).Mark("triangle").Triangle(SimpleTriangle(0, 1, 0));
    file.Mark("numGeostates").I32(1).Mark("geostateFaceIndex").I32(1);
    file.Mark("geostateTriangle").Triangle(SimpleTriangle(1, 1, 1));
    file.Mark("strLen").Text("body").Mark("numVertices1").I32(1).Vertex(first).I32(0).I32(0).Text("arm");
    file.Mark("numBones").I32(2).Mark("bone0").Bone({"root", {1, 2, 3}, {}}).Mark("bone0Pose");
    file.Mark("bone1").Bone({"tip", {}, {}});
    file.Mark("end");
    return file;
}

struct CutCase {
    const char* mark;
    int offset;  // bytes after the mark; negative: before it
    const char* summary;  // after importing into a model with bones a and b
};

class ShortFile : public ::testing::TestWithParam<CutCase> {};

TEST_P(ShortFile, KeepsWhatWasReadWholeAndNothingElse) {
    const QevBytes whole = MarkedFile();
    const size_t cut = static_cast<size_t>(static_cast<long>(whole.At(GetParam().mark)) + GetParam().offset);
    ASSERT_LE(cut, whole.Bytes().size());
    std::vector<uint8_t> bytes(whole.Bytes().begin(), whole.Bytes().begin() + static_cast<ptrdiff_t>(cut));
    msModel model;
    qevmodel::AddBone(model, "a");
    qevmodel::AddBone(model, "b");
    ASSERT_EQ(ImportBytes(model, bytes), 0);
    EXPECT_EQ(Summary(model), GetParam().summary);
}

const char kNothing[] = " | bones a b";

INSTANTIATE_TEST_SUITE_P(
    CutInside, ShortFile,
    ::testing::Values(
        CutCase{"numMeshes", -2, kNothing},  // inside version
        CutCase{"numMeshes", 3, kNothing},
        CutCase{"numVertices0", 3, kNothing},  // no mesh before its vertex count is whole
        CutCase{"vertex0", 0, "group_0 0v 0t | bones a b"},
        CutCase{"vertex1", 51, "group_0 1v 0t [0 1 -1 5] | bones a b"},
        CutCase{"numTriangles", 2, "group_0 2v 0t [0 1 -1 5] | bones a b"},
        CutCase{"triangle", 65, "group_0 2v 0t [0 1 -1 5] | bones a b"},
        CutCase{"numGeostates", 3, "group_0 2v 1t [0 1 -1 5] | bones a b"},
        CutCase{"geostateFaceIndex", 3, "group_0 2v 1t [0 1 -1 5] | bones a b"},  // no geostate mesh yet
        CutCase{"geostateTriangle", 0, "group_0 2v 1t [0 1 -1 5]; mesh1 0v 0t | bones a b"},
        CutCase{"geostateTriangle", 40, "group_0 2v 1t [0 1 -1 5]; mesh1 0v 0t | bones a b"},
        CutCase{"strLen", 0, "group_0 2v 1t [0 1 -1 5]; mesh1 0v 1t | bones a b"},
        CutCase{"strLen", 3, "group_0 2v 1t [0 1 -1 5]; mesh1 0v 1t | bones a b"},  // a cut name is not set
        CutCase{"numVertices1", 1, "body 2v 1t [0 1 -1 5]; mesh1 0v 1t | bones a b"},
        CutCase{"numBones", 3, "body 2v 1t [0 1 -1 5]; mesh1 0v 1t; arm 1v 0t [0 1 -1 5] | bones a b"},
        CutCase{"bone0", 3, "body 2v 1t [0 1 -1 5]; mesh1 0v 1t; arm 1v 0t [0 1 -1 5] | bones a b"},
        CutCase{"bone0Pose", -1, "body 2v 1t [0 1 -1 5]; mesh1 0v 1t; arm 1v 0t [0 1 -1 5] | bones a b"},
        // Bone 0 read whole is merged; references to the cut bone 1 keep their file number.
        CutCase{"bone1", 4, "body 2v 1t [2 1 -1 5]; mesh1 0v 1t; arm 1v 0t [2 1 -1 5] | bones a b root"},
        CutCase{"end", 0, "body 2v 1t [2 3 -1 5]; mesh1 0v 1t; arm 1v 0t [2 3 -1 5] | bones a b root tip"}));

struct HugeCountCase {
    const char* field;
    std::vector<uint8_t> (*file)();
    const char* summary;
};

// Each file holds one record and then ends, though its count announces 2^31 - 1.
std::vector<uint8_t> HugeMeshCount() {
    return QevBytes(4).I32(INT32_MAX).I32(0).I32(0).I32(0).Text("one").Bytes();
}
std::vector<uint8_t> HugeVertexCount() { return QevBytes(2).I32(1).I32(INT32_MAX).Vertex({}).Bytes(); }
std::vector<uint8_t> HugeTriangleCount() {
    return QevBytes(1).I32(1).I32(0).I32(INT32_MAX).Triangle(SimpleTriangle(0, 0, 0)).Bytes();
}
std::vector<uint8_t> HugeGeostateCount() { return QevBytes(3).I32(1).I32(0).I32(0).I32(INT32_MAX).I32(0).Bytes(); }
std::vector<uint8_t> HugeGeostateFaceIndex() {
    return QevBytes(3).I32(1).I32(0).I32(0).I32(1).I32(INT32_MAX).Triangle(SimpleTriangle(0, 0, 0)).Bytes();
}
std::vector<uint8_t> HugeBoneCount() { return QevBytes(2).I32(0).I32(INT32_MAX).Bone({"root", {}, {}}).Bytes(); }

class HugeCount : public ::testing::TestWithParam<HugeCountCase> {};

// The import stops where the file ends: it asks the host for less than one
// item per byte of the file, not for the two billion the count announces.
TEST_P(HugeCount, StopsAtTheEndWithOnlyWhatIsThere) {
    msModel model;
    const std::vector<uint8_t> file = GetParam().file();
    int result = -2;
    const int64_t hostCalls = testsupport::HostCallsOf([&] { result = ImportBytes(model, file); });
    ASSERT_EQ(result, 0);
    EXPECT_LT(hostCalls, int64_t(file.size()));
    EXPECT_EQ(Summary(model), GetParam().summary);
}

INSTANTIATE_TEST_SUITE_P(
    Announced, HugeCount,
    ::testing::Values(HugeCountCase{"numMeshes", HugeMeshCount, "one 0v 0t | bones"},
                      HugeCountCase{"numVertices", HugeVertexCount, "group_0 1v 0t [-1 -1 -1 -1] | bones"},
                      HugeCountCase{"numTriangles", HugeTriangleCount, "mesh0 0v 1t | bones"},
                      HugeCountCase{"numGeostates", HugeGeostateCount, "mesh0 0v 0t; mesh1 0v 0t | bones"},
                      HugeCountCase{"geostateFaceIndex", HugeGeostateFaceIndex, "mesh0 0v 0t; mesh1 0v 1t | bones"},
                      HugeCountCase{"numBones", HugeBoneCount, " | bones root"}),
    [](const ::testing::TestParamInfo<HugeCountCase>& row) { return std::string(row.param.field); });

}  // namespace
