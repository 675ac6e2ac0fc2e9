// Bone lookups by name stay cheap however the names repeat: the stand-in's
// index and the bone merge together grow with vertices plus bones, so a slow
// import found by the fuzzer is the importer's own. Bounds are CPU seconds,
// generous enough for the sanitizer build on a busy machine.
#include <gtest/gtest.h>
#include <sys/resource.h>

#include <string>

#include "damaged_support.h"
#include "model.h"

namespace {

using damaged::QevWriter;

double CpuSeconds() {
    rusage usage;
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

// Through the C API, as a plug-in does: bones added unnamed, then named, and
// looked up, all under one or two names.
TEST(ManyBones, StandInFindsAmongEqualAndEmptyNamesInConstantTime) {
    const int kBones = 100000;
    msModel model;
    const double start = CpuSeconds();
    for (int b = 0; b < kBones; ++b) {
        const int32_t index = msModel_AddBone(&model);
        if (b % 2) msBone_SetName(msModel_GetBoneAt(&model, index), "same");
        ASSERT_EQ(msModel_FindBoneByName(&model, ""), 0);
        ASSERT_EQ(msModel_FindBoneByName(&model, "same"), b == 0 ? -1 : 1);
    }
    // Renaming the bone that is found hands the name on to the next lowest.
    msBone_SetName(msModel_GetBoneAt(&model, 1), "other");
    EXPECT_EQ(msModel_FindBoneByName(&model, "same"), 3);
    msBone_SetName(msModel_GetBoneAt(&model, 0), "other");
    EXPECT_EQ(msModel_FindBoneByName(&model, ""), 2);
    EXPECT_EQ(msModel_FindBoneByName(&model, "other"), 0);
    EXPECT_LT(CpuSeconds() - start, 2.0);
}

struct ImportCase {
    const char* label;
    std::string (*boneName)(int32_t fileBone);
    size_t bonesAdded;
};

void PrintTo(const ImportCase& c, std::ostream* out) { *out << c.label; }

std::string EmptyName(int32_t) { return ""; }
std::string SameName(int32_t) { return "same"; }
std::string DistinctName(int32_t b) { return "bone" + std::to_string(b); }

class ManyBonesImport : public ::testing::TestWithParam<ImportCase> {};

// 20000 vertices each referencing four of 20000 file bones: a merge pass per
// bone would make 4 * 10^8 visits; one pass with a table makes 80000.
TEST_P(ManyBonesImport, MergesInOnePass) {
    const int32_t kBones = 20000;
    const int32_t kVertices = 20000;
    QevWriter file(1);
    file.I32(1).BeginMesh(kVertices);
    for (int32_t v = 0; v < kVertices; ++v)
        file.Vertex({0, 0, 0}, v, 0, {v % kBones, (v + 1) % kBones, kBones - 1, -1}, {1, 0, 0, 0});
    file.Triangles(0, 0).I32(kBones);
    for (int32_t b = 0; b < kBones; ++b) file.Bone(GetParam().boneName(b), {});

    msModel model;
    qevmodel::AddBone(model, "bone5");  // a distinct-named file bone finds it
    const double start = CpuSeconds();
    ASSERT_EQ(damaged::ImportBytes(model, file.bytes()), 0);
    EXPECT_LT(CpuSeconds() - start, 1.0);

    ASSERT_EQ(model.bones.size(), 1 + GetParam().bonesAdded);
    const msMesh& mesh = model.meshes.at(0);
    ASSERT_EQ(mesh.vertices.size(), size_t(kVertices));
    for (int32_t v : {0, 5, 6, kVertices - 1}) {
        const int32_t host = msModel_FindBoneByName(&model, GetParam().boneName(v % kBones).c_str());
        EXPECT_EQ(mesh.vertices[size_t(v)].boneIndex, host) << "vertex " << v;
        EXPECT_EQ(mesh.vertices[size_t(v)].ex.boneIndices[2], -1) << "vertex " << v;
    }
}

INSTANTIATE_TEST_SUITE_P(Names, ManyBonesImport,
                         ::testing::Values(ImportCase{"AllUnnamed", EmptyName, 1},
                                           ImportCase{"AllTheSame", SameName, 1},
                                           ImportCase{"AllDistinct", DistinctName, 19999}),
                         [](const ::testing::TestParamInfo<ImportCase>& row) { return std::string(row.param.label); });

}  // namespace
