// qev info on the exported example, the JSON document's shape, and the
// usage errors: status 2 and one line on standard error.
#include <gtest/gtest.h>

#include <string>

#include "json_text.h"
#include "program_run.h"
#include "qev_file_bytes.h"
#include "test_files.h"

namespace {

// The README shows this text; the path of the first line is the file given.
const char kSampleInfo[] = R"(: 730 bytes, version 4
  mesh block 0 "body": 4 vertices, 2 triangles, no geostates
  mesh block 1 "visor": 3 vertices, 1 triangle, no geostates
  bones: 4 bones
    0 "root"
    1 "spine"
    2 "head"
    3 "mâchoire"
  total: 2 mesh blocks, 7 vertices, 3 triangles, 0 geostates (0 triangles), 4 bones
  check: ok
)";

TEST(Info, ShowsTheExportedExample) {
    testsupport::ScratchFolder folder;
    const std::string sample = folder.File("sample.qev");
    const testsupport::ProgramRun exported =
        testsupport::RunBuiltProgram("qevhost", {"export", std::string(QEV_SOURCE_DIR) + "/examples/sample_model.json", sample});
    ASSERT_EQ(exported.exitStatus, 0) << exported.err;
    const testsupport::ProgramRun run = testsupport::RunBuiltProgram("qev", {"info", sample});
    EXPECT_EQ(run.exitStatus, 0);
    EXPECT_EQ(run.out, sample + kSampleInfo);
}

// Counts the file announces beyond what it holds show beside what was read.
TEST(Info, ShowsCutCountsAndVersionsReadAsAnother) {
    QevFileBytes file;
    file.I32(9).I32(1).I32(3).Vertex({-1, -1, -1, -1}, {1, 0, 0, 0});  // version 9 reads as 4; cut in vertex 1
    const QevRun run = RunQev({"info", "@0"}, {file.bytes()});
    EXPECT_EQ(run.exitStatus, 0);  // info describes; check judges
    EXPECT_EQ(run.out, run.paths[0] +
                           ": 64 bytes, version 9 (reads as 4)\n"
                           "  mesh block 0 group_0 (no stored name): 1 of 3 vertices, 0 triangles, no geostates\n"
                           "  bones: 0 bones\n"
                           "  total: 1 mesh block, 1 vertex, 0 triangles, 0 geostates (0 triangles), 0 bones\n"
                           "  check: 1 error, 0 warnings (first: damaged: file ends at byte 64 inside mesh block 0, "
                           "vertex 1 of 3 (the record starts at byte 64); read whole: 0 mesh blocks, 0 bones; qev "
                           "check lists all)\n");
}

TEST(InfoJson, OneDocumentForAllFilesWithUnreadableOnesNamed) {
    const QevRun run = RunQev({"info", "--json", "@0", "/nonexistent/x.qev"}, {WholeFixtureFile()});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.err, "qev: cannot read /nonexistent/x.qev: No such file or directory\n");
    qevmodel::Json json;
    std::string error;
    ASSERT_TRUE(qevmodel::ParseJson(run.out, json, error)) << error << run.out;
    const qevmodel::Json& file = json["files"][0];
    std::vector<std::string> keys;
    for (const auto& member : file.items()) keys.push_back(member.key());
    EXPECT_EQ(keys, (std::vector<std::string>{"file", "size", "version", "reads_as", "whole", "meshes", "bones",
                                              "errors", "warnings", "problems", "problems_not_listed"}));
    EXPECT_EQ(file["size"], 246);
    EXPECT_EQ(file["meshes"][0]["name"], "body");
    EXPECT_EQ(file["meshes"][0]["geostates"], qevmodel::Json::array({1}));
    EXPECT_EQ(file["bones"][0]["name"], "root");
    EXPECT_EQ(json["files"][1]["file"], "/nonexistent/x.qev");
}

struct UsageCase {
    const char* label;
    std::vector<std::string> args;
};

void PrintTo(const UsageCase& c, std::ostream* out) { *out << c.label; }

class Usage : public ::testing::TestWithParam<UsageCase> {};

TEST_P(Usage, StatusTwoAndOneLineOnStandardError) {
    const testsupport::ProgramRun run = testsupport::RunBuiltProgram("qev", GetParam().args);
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out, "");
    ASSERT_FALSE(run.err.empty());
    EXPECT_EQ(run.err.find('\n'), run.err.size() - 1) << run.err;
    EXPECT_EQ(run.err.rfind("qev: ", 0), 0u) << run.err;
}

INSTANTIATE_TEST_SUITE_P(
    Errors, Usage,
    ::testing::Values(UsageCase{"NoCommand", {}}, UsageCase{"UnknownCommand", {"frob", "x.qev"}},
                      UsageCase{"NoFile", {"check"}}, UsageCase{"NoFileWithJson", {"info", "--json"}},
                      UsageCase{"UnknownOption", {"check", "--bogus", "x.qev"}},
                      UsageCase{"StrictIsForCheck", {"info", "--strict", "x.qev"}},
                      UsageCase{"MissingFile", {"check", "/nonexistent/x.qev"}},
                      UsageCase{"Folder", {"info", "/tmp"}}),
    [](const ::testing::TestParamInfo<UsageCase>& row) { return std::string(row.param.label); });

// Each file is reported and the worst status wins.
TEST(ManyFiles, EachReportedAndTheWorstStatusReturned) {
    const QevRun run = RunQev({"check", "@0", "/nonexistent/x.qev", "@1"}, {WholeFixtureFile(), testsupport::Bytes{1, 0}});
    EXPECT_EQ(run.exitStatus, 2);
    EXPECT_EQ(run.out, run.paths[0] + ": ok\n" + run.paths[1] +
                           ": 1 error, 0 warnings\n  error: damaged: file ends at byte 2 inside the version (the "
                           "field starts at byte 0); read whole: 0 mesh blocks, 0 bones\n");
}

}  // namespace
