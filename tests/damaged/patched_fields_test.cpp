// One small whole file with each field patched to values at the edges: every
// import stops where the file ends (fewer host calls than the file has bytes,
// whatever the counts announce), returns 0 and gives the model the reading rules
// give: a count of 0 or less reads nothing and the next field is read from
// the bytes that follow; a count past what the file holds reads the records
// that are there whole, and then stops.
#include <gtest/gtest.h>

#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <string>

#include "damaged_support.h"
#include "host_call_count.h"

namespace {

using damaged::Bytes;
using damaged::ImportBytes;
using damaged::PatchI32;
using damaged::QevWriter;
using damaged::Summary;

// Version 4, 246 bytes; records of zeros, so misread fields read as 0 where
// they land on them. Offsets of the fields that the tables patch:
//   0 version  4 numMeshes  8 numVertices  12 vertex (weights at 48)
//   64 numTriangles  68 triangle  134 numGeostates  138 geostateFaceIndex
//   142 geostate triangle  208 strLen "body"  213 numBones  217 bone "root"
Bytes BaseFile() {
    QevWriter file(4);
    file.I32(1).I32(1).Raw(std::string(36, '\0')).F32(1).F32(0).F32(0).F32(0);
    file.I32(1).Raw(std::string(66, '\0'));
    file.I32(1).I32(1).Raw(std::string(66, '\0'));
    file.U8(4).Raw("body");
    file.I32(1).U8(4).Raw("root").Raw(std::string(24, '\0'));
    return file.bytes();
}

const char kBase[] = R"("body" 1v 1t [2 2 2 2]; "mesh1" 0v 1t | "a" "b" "root")";

// Imports into a model that holds bones a and b, so a merged file bone 0
// moves the references from 0 to 2. Every item the import asks the host for
// needs at least one byte of the file, so *hostCalls stays below its size.
std::string ImportPatched(const Bytes& bytes, int64_t* hostCalls) {
    msModel model;
    qevmodel::AddBone(model, "a");
    qevmodel::AddBone(model, "b");
    int result = -2;
    *hostCalls = testsupport::HostCallsOf([&] { result = ImportBytes(model, bytes); });
    return result == 0 ? Summary(model) : "result " + std::to_string(result);
}

struct CountCase {
    const char* field;
    size_t offset;
    int32_t restPlusOne;   // one more than the rest of the file can hold
    const char* none;      // the count at -1 and 0
    const char* tooMany;   // the count at 0x40000000, INT32_MAX and restPlusOne
};

void PrintTo(const CountCase& c, std::ostream* out) { *out << c.field; }

class PatchedCount : public ::testing::TestWithParam<CountCase> {};

TEST_P(PatchedCount, ReadsWhatIsThereAndStops) {
    const CountCase& c = GetParam();
    const struct {
        int32_t value;
        const char* summary;
    } rows[] = {{-1, c.none}, {0, c.none}, {1, kBase}, {0x40000000, c.tooMany}, {INT32_MAX, c.tooMany},
                {c.restPlusOne, c.tooMany}};
    for (const auto& row : rows) {
        Bytes bytes = BaseFile();
        PatchI32(bytes, c.offset, row.value);
        int64_t hostCalls = 0;
        EXPECT_EQ(ImportPatched(bytes, &hostCalls), row.summary) << c.field << " = " << row.value;
        EXPECT_LT(hostCalls, int64_t(bytes.size())) << c.field << " = " << row.value;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Counts, PatchedCount,
    ::testing::Values(
        // No block: numBones is read from numVertices (1), the bone from the zero vertex.
        CountCase{"numMeshes", 4, 19, R"( | "a" "b" "")",
                  R"("body" 1v 1t [0 0 0 0]; "mesh1" 0v 1t; "group_1" 0v 0t | "a" "b")"},
        // No vertex: the zero vertex gives numTriangles, numGeostates, strLen and numBones of 0.
        CountCase{"numVertices", 8, 5, R"("" 0v 0t | "a" "b")", R"("group_0" 4v 0t [0 0 0 0] | "a" "b")"},
        CountCase{"numTriangles", 64, 3, R"("" 1v 0t [0 0 0 0] | "a" "b")",
                  R"("group_0" 1v 2t [0 0 0 0] | "a" "b")"},
        // No geostate: strLen 1 is geostateFaceIndex's first byte, the name its zero second byte.
        CountCase{"numGeostates", 134, 28, R"("" 1v 1t [0 0 0 0] | "a" "b")",
                  R"("group_0" 1v 1t [0 0 0 0]; "mesh1" 0v 1t; "mesh2" 0v 0t | "a" "b")"},
        CountCase{"geostateFaceIndex", 138, 2, R"("" 1v 1t [0 0 0 0]; "mesh1" 0v 0t | "a" "b")",
                  R"("group_0" 1v 1t [0 0 0 0]; "mesh1" 0v 1t | "a" "b")"},
        CountCase{"numBones", 213, 2, R"("body" 1v 1t [0 0 0 0]; "mesh1" 0v 1t | "a" "b")", kBase}),
    [](const ::testing::TestParamInfo<CountCase>& row) { return std::string(row.param.field); });

struct FieldCase {
    const char* label;
    size_t offset;
    int width;  // 1: one byte, 4: int32
    int32_t value;
    const char* summary;
};

void PrintTo(const FieldCase& c, std::ostream* out) { *out << c.label; }

class PatchedField : public ::testing::TestWithParam<FieldCase> {};

TEST_P(PatchedField, GivesTheModelTheRulesGive) {
    const FieldCase& c = GetParam();
    Bytes bytes = BaseFile();
    if (c.width == 1)
        bytes.at(c.offset) = uint8_t(c.value);
    else
        PatchI32(bytes, c.offset, c.value);
    int64_t hostCalls = 0;
    EXPECT_EQ(ImportPatched(bytes, &hostCalls), c.summary);
    EXPECT_LT(hostCalls, int64_t(bytes.size()));
}

// Read as version 1: a 48-byte vertex, numTriangles from its last weight,
// numBones from the old numTriangles, and one unnamed bone without pose.
const char kAsVersion1[] = R"("group_0" 1v 0t [2 2 2 2] | "a" "b" "")";

INSTANTIATE_TEST_SUITE_P(
    Fields, PatchedField,
    ::testing::Values(
        FieldCase{"VersionMinus1", 0, 4, -1, kAsVersion1}, FieldCase{"Version0", 0, 4, 0, kAsVersion1},
        FieldCase{"Version1", 0, 4, 1, kAsVersion1}, FieldCase{"Version4", 0, 4, 4, kBase},
        FieldCase{"Version5", 0, 4, 5, kBase}, FieldCase{"VersionInt32Max", 0, 4, INT32_MAX, kBase},
        // An empty name; numBones is then "body" (huge), bone 0 an unnamed one
        // from the old count and bone name, bone 1 runs past the end.
        FieldCase{"MeshStrLen0", 208, 1, 0, R"("" 1v 1t [2 2 2 2]; "mesh1" 0v 1t | "a" "b" "")"},
        // A name that runs past the end is not set, and nothing after it is read.
        FieldCase{"MeshStrLen255", 208, 1, 255, R"("group_0" 1v 1t [0 0 0 0]; "mesh1" 0v 1t | "a" "b")"},
        FieldCase{"BoneStrLen0", 217, 1, 0, R"("body" 1v 1t [2 2 2 2]; "mesh1" 0v 1t | "a" "b" "")"},
        FieldCase{"BoneStrLen255", 217, 1, 255, R"("body" 1v 1t [0 0 0 0]; "mesh1" 0v 1t | "a" "b")"}),
    [](const ::testing::TestParamInfo<FieldCase>& row) { return std::string(row.param.label); });

struct WeightCase {
    const char* label;
    float weight;  // patched into the vertex's first weight
    int32_t percentage;
};

void PrintTo(const WeightCase& c, std::ostream* out) { *out << c.label; }

class PatchedWeight : public ::testing::TestWithParam<WeightCase> {};

TEST_P(PatchedWeight, LandsAsAPercentageInRange) {
    Bytes bytes = BaseFile();
    uint32_t bits;
    std::memcpy(&bits, &GetParam().weight, sizeof(bits));
    PatchI32(bytes, 48, int32_t(bits));
    msModel model;
    ASSERT_EQ(ImportBytes(model, bytes), 0);
    ASSERT_EQ(model.meshes.size(), 2u);
    ASSERT_EQ(model.meshes[0].vertices.size(), 1u);
    const msVertexEx& ex = model.meshes[0].vertices[0].ex;
    EXPECT_EQ(ex.boneWeights[0], GetParam().percentage);
    EXPECT_EQ(ex.boneWeights[1], 0);
    EXPECT_EQ(ex.boneWeights[2], 0);
}

const float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Weights, PatchedWeight,
    ::testing::Values(WeightCase{"QuietNaN", std::numeric_limits<float>::quiet_NaN(), 0},
                      WeightCase{"NegativeNaN", -std::numeric_limits<float>::quiet_NaN(), 0},
                      WeightCase{"Infinity", kInf, 0}, WeightCase{"MinusInfinity", -kInf, 0},
                      WeightCase{"LargestFloat", std::numeric_limits<float>::max(), INT32_MAX},
                      WeightCase{"MinusLargestFloat", -std::numeric_limits<float>::max(), INT32_MIN},
                      WeightCase{"JustPastInt32", 21474838.0f, INT32_MAX},
                      WeightCase{"SmallestDenormal", std::numeric_limits<float>::denorm_min(), 0}),
    [](const ::testing::TestParamInfo<WeightCase>& row) { return std::string(row.param.label); });

}  // namespace
