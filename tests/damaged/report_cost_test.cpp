// The programs that report on a file, qev and qevhost, on the 1 MiB hostile
// files: each report is written as a stream, so the whole program's peak
// memory stays below 64 times the file's size plus 64 MiB, and qev answers
// in well under a second of CPU however much the counts announce.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "hostile_files.h"
#include "program_run.h"
#include "test_files.h"

namespace {

struct ReportCommand {
    const char* label;
    const char* program;
    std::vector<std::string> args;  // "FILE" stands for the hostile file
    // Plain build; sanitizers get ten times as long. The distinct bone names
    // cost the model most (0.7 s of the import alone on the shared machine);
    // the others take a tenth of a second or less.
    double cpuLimitSeconds;
};

const ReportCommand kReportCommands[] = {
    {"QevCheckJson", "qev", {"check", "--json", "FILE"}, 2.0},
    {"QevInfo", "qev", {"info", "FILE"}, 2.0},
    {"QevhostSummary", "qevhost", {"import", "FILE", "--summary"}, 2.0},
    {"QevhostFullReport", "qevhost", {"import", "FILE"}, 4.0},
};

class ReportCost : public ::testing::TestWithParam<std::tuple<damaged::HostileFile, ReportCommand>> {};

TEST_P(ReportCost, BoundedMemoryAndTime) {
    const damaged::HostileFile& hostile = std::get<0>(GetParam());
    const ReportCommand& command = std::get<1>(GetParam());
    testsupport::ScratchFolder folder;
    const std::string path = folder.File("hostile.qev");
    ASSERT_TRUE(testsupport::WriteFile(path, hostile.make()));
    std::vector<std::string> args;
    for (const std::string& arg : command.args) args.push_back(arg == "FILE" ? path : arg);

    const testsupport::ProgramRun run = testsupport::RunBuiltProgram(command.program, args);
    EXPECT_LE(run.exitStatus, 1) << run.err;  // a report, whatever it says
    EXPECT_FALSE(run.out.empty());
    const long limitKiB = damaged::MemoryLimitKiB(damaged::kHostileFileSize);
    std::printf("%s %s: %.3f s of CPU, peak resident %ld KiB (limit %ld KiB), %zu bytes of report\n", command.label,
                hostile.label, run.cpuSeconds, run.peakResidentKiB, limitKiB, run.out.size());
    EXPECT_LT(run.cpuSeconds, command.cpuLimitSeconds * (damaged::kSanitizedBuild ? 10 : 1));
    if (!damaged::kSanitizedBuild) {
        EXPECT_LT(run.peakResidentKiB, limitKiB);
    }
}

INSTANTIATE_TEST_SUITE_P(
    OneMebibyte, ReportCost,
    ::testing::Combine(::testing::ValuesIn(damaged::kHostileFiles), ::testing::ValuesIn(kReportCommands)),
    [](const ::testing::TestParamInfo<std::tuple<damaged::HostileFile, ReportCommand>>& row) {
        return std::string(std::get<1>(row.param).label) + "_" + std::get<0>(row.param).label;
    });

}  // namespace
