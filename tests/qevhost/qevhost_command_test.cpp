// qevhost end to end: the commands, the report, the exit statuses, and the
// usage errors, run as a separate program.
#include <gtest/gtest.h>

#include <algorithm>

#include "qevhost_runner.h"
#include "test_files.h"
#include "win32_api.h"

namespace {

using qevmodel::Json;

const Json kFilter = {"QEV Object (*.qev)", "*.qev", "All Files (*.*)", "*.*"};
const char kOneMeshModel[] = R"({"meshes": [{"name": "body"}], "bones": [{"name": "root"}]})";

void ExpectDialog(Json dialog, const char* function, const char* title, uint32_t flags) {
    EXPECT_EQ(dialog["function"], function);
    EXPECT_EQ(dialog["title"], title);
    EXPECT_EQ(dialog["flags"], flags);
    EXPECT_EQ(dialog["filter"], kFilter);
    EXPECT_EQ(dialog["default_extension"], "qev");
    // The whole structure of this build; the 32-bit Windows build's is 88.
    EXPECT_EQ(dialog["struct_size"], sizeof(OPENFILENAMEA));
    EXPECT_EQ(dialog["max_file"], 256);
}

TEST(QevhostInfo, GivesBothPlugInsTypesAndTitles) {
    const QevhostRun run = RunQevhost({"info"});
    ASSERT_EQ(run.exitStatus, 0) << run.err;
    Json report = run.Report();
    EXPECT_EQ(report["importer"]["type"], 129);
    EXPECT_EQ(report["importer"]["title"], "PELG Object");
    EXPECT_EQ(report["exporter"]["type"], 130);
    EXPECT_EQ(report["exporter"]["title"], "PELG Object");
}

TEST(QevhostImport, NullModelFailsWithoutADialog) {
    const QevhostRun run = RunQevhost({"import", "x.qev", "--null-model"});
    EXPECT_EQ(run.exitStatus, 1);
    EXPECT_EQ(run.err, "");
    Json report = run.Report();
    EXPECT_EQ(report["result"], -1);
    EXPECT_EQ(report["dialogs"], Json::array());
    EXPECT_EQ(report["message_boxes"], Json::array());
}

TEST(QevhostImport, CancelReturnsZeroAfterOneOpenRequest) {
    const QevhostRun run = RunQevhost({"import", "x.qev", "--cancel"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    Json report = run.Report();
    EXPECT_EQ(report["result"], 0);
    EXPECT_EQ(report["destroy_calls"], 0);
    ASSERT_EQ(report["dialogs"].size(), 1u);
    ExpectDialog(report["dialogs"][0], "GetOpenFileNameA", "Import QEV Object", 6148);
    EXPECT_EQ(report["model"], Json::parse(R"({"meshes": [], "bones": []})"));
}

TEST(QevhostImport, IntoModelStartsFromThatModelAndSummaryCounts) {
    testsupport::ScratchFolder scratch;
    WriteText(scratch.File("model.json"), R"({"meshes": [{"name": "body", "vertices": [{}, {}, {}],
                                                      "triangles": [{}]}], "bones": [{"name": "root"}]})");
    const QevhostRun run =
        RunQevhost({"import", "x.qev", "--cancel", "--summary", "--into", scratch.File("model.json")});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    EXPECT_EQ(run.Report()["model"],
              Json::parse(R"({"meshes": [{"name": "body", "vertices": 3, "triangles": 1}], "bones": ["root"]})"));
}

TEST(QevhostExport, CancelAsksForASaveFileAndWritesNothing) {
    testsupport::ScratchFolder scratch;
    WriteText(scratch.File("model.json"), kOneMeshModel);
    const QevhostRun run =
        RunQevhost({"export", scratch.File("model.json"), scratch.File("out.qev"), "--cancel"});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    Json report = run.Report();
    EXPECT_EQ(report["result"], 0);
    EXPECT_EQ(report["destroy_calls"], 0);
    ASSERT_EQ(report["dialogs"].size(), 1u);
    ExpectDialog(report["dialogs"][0], "GetSaveFileNameA", "Export QEV Object", 2054);
    EXPECT_EQ(report["model"]["meshes"][0]["name"], "body");
    EXPECT_FALSE(testsupport::FileExists(scratch.File("out.qev")));
}

TEST(QevhostExport, EmptyModelShowsTheWarningBoxInTheReport) {
    testsupport::ScratchFolder scratch;
    WriteText(scratch.File("model.json"), R"({"bones": [{"name": "root"}]})");
    const QevhostRun run = RunQevhost({"export", scratch.File("model.json"), scratch.File("out.qev")});
    EXPECT_EQ(run.exitStatus, 0) << run.err;
    Json report = run.Report();
    EXPECT_EQ(report["dialogs"], Json::array());
    EXPECT_EQ(report["message_boxes"], Json::parse(R"([{"text": "The model is empty!  Nothing exported!",
                                                         "caption": "Text Export", "style": 48}])"));
}

struct UsageCase {
    std::vector<std::string> args;  // "{dir}" stands for a scratch folder
    const char* stderrHolds;
};

const UsageCase kUsageCases[] = {
    {{}, "no command"},
    {{"bogus"}, "unknown command 'bogus'"},
    {{"import"}, "import needs exactly one FILE"},
    {{"import", "a.qev", "b.qev"}, "import needs exactly one FILE"},
    {{"export", "{dir}/model.json"}, "export needs MODEL.json and FILE"},
    {{"import", "x.qev", "--frobnicate"}, "unknown option '--frobnicate'"},
    {{"import", "x.qev", "--plugin"}, "--plugin needs a value"},
    {{"import", "x.qev", "--into"}, "--into needs a value"},
    {{"info", "--cancel"}, "info takes no arguments"},
    {{"export", "{dir}/model.json", "out.qev", "--into", "{dir}/model.json"}, "--into is for import only"},
    {{"export", "{dir}/missing.json", "out.qev"}, "cannot read model {dir}/missing.json"},
    {{"export", "{dir}", "out.qev"}, "cannot read model {dir}"},
    {{"import", "x.qev", "--into", "{dir}/missing.json"}, "cannot read model {dir}/missing.json"},
    {{"export", "{dir}/not-json.json", "out.qev"}, "model {dir}/not-json.json is not JSON"},
    {{"export", "{dir}/bad-schema.json", "out.qev"}, "meshes[0].vertices[0].weights: expected 3 integers"},
    {{"import", "x.qev", "--plugin", "{dir}/missing.so"}, "cannot load plug-in {dir}/missing.so"},
    {{"import", "x.qev", "--plugin", "{dir}/model.json"}, "cannot load plug-in {dir}/model.json"},
    {{"import", "x.qev", "--plugin", QEV_BIN_DIR "/libmsModelLib.so"}, "does not export CreatePlugIn"},
};

std::string WithFolder(std::string text, const std::string& folder) {
    for (size_t at; (at = text.find("{dir}")) != std::string::npos;) text.replace(at, 5, folder);
    return text;
}

TEST(QevhostUsage, BadInputGivesOneLineOnStderrNoReportAndStatus2) {
    testsupport::ScratchFolder scratch;
    const std::string dir = scratch.path();
    WriteText(scratch.File("model.json"), kOneMeshModel);
    WriteText(scratch.File("not-json.json"), "{\"meshes\": [");
    WriteText(scratch.File("bad-schema.json"), R"({"meshes": [{"vertices": [{"weights": [1, 2]}]}]})");
    for (const UsageCase& c : kUsageCases) {
        std::vector<std::string> args;
        std::string shown;
        for (const std::string& arg : c.args) {
            args.push_back(WithFolder(arg, dir));
            shown += " " + args.back();
        }
        const QevhostRun run = RunQevhost(args);
        EXPECT_EQ(run.exitStatus, 2) << shown;
        EXPECT_EQ(run.out, "") << shown;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << shown << "\n" << run.err;
        EXPECT_EQ(run.err.rfind("qevhost: ", 0), 0u) << shown << "\n" << run.err;
        EXPECT_NE(run.err.find(WithFolder(c.stderrHolds, dir)), std::string::npos) << shown << "\n" << run.err;
    }
}

}  // namespace
