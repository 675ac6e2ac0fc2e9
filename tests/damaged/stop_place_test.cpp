// A stored fixture for every place where the importer stops reading a damaged
// file: the same small version-4 file (fixtures/make_fixtures.py) cut inside
// each field and record. What was read whole stays, nothing else is made, and
// the bones read whole are still merged.
#include <gtest/gtest.h>

#include <string>

#include "damaged_support.h"
#include "test_files.h"

namespace {

damaged::Bytes ReadFixture(const std::string& name) {
    const std::string path = std::string(QEV_DAMAGED_FIXTURES) + "/stop_" + name + ".qev";
    if (!testsupport::FileExists(path)) ADD_FAILURE() << "missing fixture " << path;
    return testsupport::ReadFile(path);
}

struct StopCase {
    const char* fixture;
    size_t size;
    const char* summary;  // imported into a model with bones a and b
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.fixture; }

class StopPlace : public ::testing::TestWithParam<StopCase> {};

TEST_P(StopPlace, KeepsWhatWasReadWhole) {
    const damaged::Bytes bytes = ReadFixture(GetParam().fixture);
    ASSERT_EQ(bytes.size(), GetParam().size) << "fixture changed";
    msModel model;
    qevmodel::AddBone(model, "a");
    qevmodel::AddBone(model, "b");
    ASSERT_EQ(damaged::ImportBytes(model, bytes), 0);
    EXPECT_EQ(damaged::Summary(model), GetParam().summary);
}

const char kNothing[] = R"( | "a" "b")";
const char kVertex[] = R"("group_0" 1v 0t [0 0 0 0] | "a" "b")";
const char kTriangle[] = R"("group_0" 1v 1t [0 0 0 0] | "a" "b")";
const char kGeostate[] = R"("group_0" 1v 1t [0 0 0 0]; "mesh1" 0v 1t | "a" "b")";
const char kNamed[] = R"("body" 1v 1t [0 0 0 0]; "mesh1" 0v 1t | "a" "b")";

INSTANTIATE_TEST_SUITE_P(
    Fixtures, StopPlace,
    ::testing::Values(StopCase{"in_version", 2, kNothing}, StopCase{"in_num_meshes", 6, kNothing},
                      StopCase{"in_num_vertices", 10, kNothing},  // the mesh needs its vertex count
                      StopCase{"in_vertex_record", 42, R"("group_0" 0v 0t | "a" "b")"},
                      StopCase{"in_num_triangles", 66, kVertex}, StopCase{"in_triangle_record", 108, kVertex},
                      StopCase{"in_num_geostates", 136, kTriangle},
                      StopCase{"in_geostate_face_index", 140, kTriangle},  // no geostate mesh yet
                      StopCase{"in_geostate_triangle", 152, R"("group_0" 1v 1t [0 0 0 0]; "mesh1" 0v 0t | "a" "b")"},
                      StopCase{"at_mesh_strlen", 208, kGeostate},
                      StopCase{"in_mesh_name", 211, kGeostate},  // a cut name is not set
                      StopCase{"in_num_bones", 215, kNamed}, StopCase{"at_bone_strlen", 217, kNamed},
                      StopCase{"in_bone_name", 219, kNamed}, StopCase{"in_bone_pose", 230, kNamed}),
    [](const ::testing::TestParamInfo<StopCase>& row) { return std::string(row.param.fixture); });

}  // namespace
