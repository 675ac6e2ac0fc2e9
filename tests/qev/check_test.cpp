// qev check: one line per problem with its byte offset, on the stored fixtures
// cut at every place the reader stops and on hand-written files holding each
// other problem the importer keeps quiet about.
#include <gtest/gtest.h>

#include <string>

#include "json_text.h"
#include "qev_file_bytes.h"
#include "test_files.h"

namespace {

using testsupport::Bytes;

struct StopCase {
    const char* fixture;
    const char* problem;
    bool blockReadWhole;  // the cut is past the mesh block, in the bone list
};

void PrintTo(const StopCase& c, std::ostream* out) { *out << c.fixture; }

class CheckStopPlace : public ::testing::TestWithParam<StopCase> {};

TEST_P(CheckStopPlace, NamesTheByteAndTheRecord) {
    const std::string path = std::string(QEV_DAMAGED_FIXTURES) + "/stop_" + GetParam().fixture + ".qev";
    const QevRun run = RunQev({"check", path});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.out, path + ": 1 error, 0 warnings\n  error: damaged: file ends at byte " + GetParam().problem +
                           (GetParam().blockReadWhole ? "; read whole: 1 mesh block, 0 bones\n"
                                                       : "; read whole: 0 mesh blocks, 0 bones\n"));
    EXPECT_EQ(run.err, "");
}

INSTANTIATE_TEST_SUITE_P(
    Fixtures, CheckStopPlace,
    ::testing::Values(
        StopCase{"in_version", "2 inside the version (the field starts at byte 0)", false},
        StopCase{"in_num_meshes", "6 inside the mesh block count (the field starts at byte 4)", false},
        StopCase{"in_num_vertices", "10 inside mesh block 0, its vertex count (the field starts at byte 8)", false},
        StopCase{"in_vertex_record", "42 inside mesh block 0, vertex 0 of 1 (the record starts at byte 12)", false},
        StopCase{"in_num_triangles", "66 inside mesh block 0, its triangle count (the field starts at byte 64)", false},
        StopCase{"in_triangle_record", "108 inside mesh block 0, triangle 0 of 1 (the record starts at byte 68)", false},
        StopCase{"in_num_geostates", "136 inside mesh block 0, its geostate count (the field starts at byte 134)", false},
        StopCase{"in_geostate_face_index",
                 "140 inside mesh block 0, geostate 0, its triangle count (the field starts at byte 138)", false},
        StopCase{"in_geostate_triangle",
                 "152 inside mesh block 0, geostate 0, triangle 0 of 1 (the record starts at byte 142)", false},
        StopCase{"at_mesh_strlen", "208 inside mesh block 0, its name length (the field starts at byte 208)", false},
        StopCase{"in_mesh_name", "211 inside mesh block 0, its name of 4 bytes (the name starts at byte 209)", false},
        StopCase{"in_num_bones", "215 inside the bone count (the field starts at byte 213)", true},
        StopCase{"at_bone_strlen", "217 inside bone 0 of 1, its name length (the record starts at byte 217)", true},
        StopCase{"in_bone_name", "219 inside bone 0 of 1, its name of 4 bytes (the record starts at byte 217)", true},
        StopCase{"in_bone_pose", "230 inside bone 0 of 1, its position and rotation (the record starts at byte 217)", true}),
    [](const ::testing::TestParamInfo<StopCase>& row) { return std::string(row.param.fixture); });

TEST(Check, WholeFileHasNoProblems) {
    const QevRun run = RunQev({"check", "@0"}, {WholeFixtureFile()});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, run.paths[0] + ": ok\n");
}

struct ProblemCase {
    const char* label;
    Bytes (*file)();
    std::string report;  // after "<path>: "
    int status;
    int strictStatus;
};

void PrintTo(const ProblemCase& c, std::ostream* out) { *out << c.label; }

// Version 4: a triangle and a geostate triangle naming vertices the block lacks.
Bytes CornerPastVertices() {
    QevFileBytes file;
    file.I32(4).I32(1).I32(2).Vertex({-1, -1, -1, -1}, {1, 0, 0, 0}).Vertex({-1, -1, -1, -1}, {1, 0, 0, 0});
    file.I32(1).Triangle(0, 1, 5);                   // triangle at 120, corner 2's index at 164
    file.I32(1).I32(1).Triangle(2, 0, 1);            // geostate triangle at 194
    file.Name("body").I32(0);
    return file.bytes();
}

// Version 2: bone 3 and bone -5 in a file of two bones; -1 is "no bone".
Bytes ReferencePastBones() {
    QevFileBytes file;
    file.I32(2).I32(1).I32(2).Vertex({0, 3, -1, -1}, {0.5f, 0.5f, 0, 0}).Vertex({-5, -1, -1, -1}, {1, 0, 0, 0});
    file.I32(0).I32(2).Bone("a").Bone("b");
    return file.bytes();
}

Bytes TrailingBytes() {
    QevFileBytes file;
    file.I32(2).I32(0).I32(1).Bone("a");  // the bone list ends at 38
    for (int n = 0; n < 96; ++n) file.U8(0);
    return file.bytes();
}

Bytes DuplicateBoneNames() {
    QevFileBytes file;
    file.I32(2).I32(0).I32(3).Bone("arm").Bone("leg").Bone("arm");  // bone 2 at 68
    return file.bytes();
}

// A mesh name of 140 bytes (127 kept) and a bone name of 120 (99 kept).
Bytes LongNames() {
    QevFileBytes file;
    file.I32(4).I32(1).I32(0).I32(0).I32(0).Name(std::string(140, 'm'));
    file.I32(1).Bone(std::string(120, 'b'));
    return file.bytes();
}

Bytes NamesWithNul() {
    QevFileBytes file;
    file.I32(4).I32(1).I32(0).I32(0).I32(0).Name(std::string("x\0y", 3));
    file.I32(1).Bone(std::string("ab\0cd", 5));
    return file.bytes();
}

// Exported weights sum to 1 within float rounding (0.3 + 0.3 + 0.4 does);
// 1.37 and -0.5 do not.
Bytes OddWeights() {
    QevFileBytes file;
    file.I32(2).I32(1).I32(3);
    file.Vertex({-1, -1, -1, -1}, {0.3f, 0.3f, 0.4f, 0});
    file.Vertex({-1, -1, -1, -1}, {0.5f, 0.5f, 0.37f, 0});
    file.Vertex({-1, -1, -1, -1}, {-0.5f, 1, 0, 0});
    file.I32(0).I32(0);
    return file.bytes();
}

const std::string kMeshName127(127, 'm');

class CheckProblem : public ::testing::TestWithParam<ProblemCase> {};

TEST_P(CheckProblem, ReportsItOnItsOwnLine) {
    const ProblemCase& c = GetParam();
    const QevRun run = RunQev({"check", "@0"}, {c.file()});
    EXPECT_EQ(run.out, run.paths[0] + ": " + c.report);
    EXPECT_EQ(run.exitStatus, c.status);
    EXPECT_EQ(RunQev({"check", "--strict", "@0"}, {c.file()}).exitStatus, c.strictStatus);
}

INSTANTIATE_TEST_SUITE_P(
    HandWritten, CheckProblem,
    ::testing::Values(
        ProblemCase{"CornerPastVertices", CornerPastVertices,
                    "2 errors, 0 warnings\n"
                    "  error: mesh block 0 (\"body\"): triangle 0 corner 2 names vertex 5 of 2\n"
                    "  error: mesh block 0 (\"body\"): geostate 0 triangle 0 corner 0 names vertex 2 of 2\n",
                    1, 1},
        ProblemCase{"ReferencePastBones", ReferencePastBones,
                    "2 errors, 0 warnings\n"
                    "  error: mesh block 0: vertex 0 refers to bone 3; the file has 2 bones\n"
                    "  error: mesh block 0: vertex 1 refers to bone -5; the file has 2 bones\n",
                    1, 1},
        ProblemCase{"TrailingBytes", TrailingBytes,
                    "1 error, 0 warnings\n  error: trailing data: 96 bytes after the bone list, from byte 38\n", 1, 1},
        ProblemCase{"DuplicateBoneNames", DuplicateBoneNames,
                    "0 errors, 1 warning\n  warning: bone 2 \"arm\" has the same name as bone 0: the importer binds "
                    "both to one bone\n",
                    0, 1},
        ProblemCase{"LongNames", LongNames,
                    "0 errors, 2 warnings\n"
                    "  warning: mesh block 0 (\"" +
                        kMeshName127 +
                        "\"): the name of 140 bytes is cut to its first 127 on import\n"
                        "  warning: bone 0: the name of 120 bytes is cut to its first 99 on import\n",
                    0, 1},
        ProblemCase{"NamesWithNul", NamesWithNul,
                    "0 errors, 2 warnings\n"
                    "  warning: mesh block 0 (\"x\"): the name holds a NUL byte at position 1: the host sees only \"x\"\n"
                    "  warning: bone 0: the name holds a NUL byte at position 2: the host sees only \"ab\"\n",
                    0, 1},
        ProblemCase{"OddWeights", OddWeights,
                    "0 errors, 2 warnings\n"
                    "  warning: mesh block 0: vertex 1 weights sum to 1.37\n"
                    "  warning: mesh block 0: vertex 2 weight 0 is -0.5, outside 0 to 1\n",
                    0, 1}),
    [](const ::testing::TestParamInfo<ProblemCase>& row) { return std::string(row.param.label); });

// The offsets scripts rely on: each problem's byte, counted by hand above.
TEST(CheckJson, GivesEachProblemItsOffsetAndCode) {
    const QevRun run = RunQev({"check", "--json", "@0", "@1", "@2"},
                              {CornerPastVertices(), TrailingBytes(), DuplicateBoneNames()});
    EXPECT_EQ(run.exitStatus, 1);
    qevmodel::Json json;
    std::string error;
    ASSERT_TRUE(qevmodel::ParseJson(run.out, json, error)) << error << run.out;
    ASSERT_EQ(json["files"].size(), 3u);
    const struct {
        size_t file;
        const char* severity;
        const char* code;
        uint64_t offset;
    } expected[] = {{0, "error", "corner_past_vertices", 164},
                    {1, "error", "trailing_data", 38},
                    {2, "warning", "duplicate_bone_name", 68}};
    for (const auto& e : expected) {
        const qevmodel::Json& problem = json["files"][e.file]["problems"][0];
        EXPECT_EQ(problem["severity"], e.severity);
        EXPECT_EQ(problem["code"], e.code);
        EXPECT_EQ(problem["offset"], e.offset);
    }
    EXPECT_EQ(json["files"][2]["bones"][2]["same_name_as"], 0);
}

}  // namespace
