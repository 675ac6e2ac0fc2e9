#include "qevhost_runner.h"

#include <gtest/gtest.h>

#include "program_run.h"
#include "test_files.h"

qevmodel::Json QevhostRun::Report() const {
    qevmodel::Json json;
    std::string error;
    EXPECT_TRUE(qevmodel::ParseJson(out, json, error)) << error << "\nstdout:\n" << out;
    return json;
}

QevhostRun RunQevhost(const std::vector<std::string>& args) {
    const testsupport::ProgramRun program = testsupport::RunBuiltProgram("qevhost", args);
    QevhostRun run;
    run.exitStatus = program.exitStatus;
    run.out = program.out;
    run.err = program.err;
    return run;
}

void WriteText(const std::string& path, const std::string& text) {
    ASSERT_TRUE(testsupport::WriteFile(path, testsupport::Bytes(text.begin(), text.end()))) << path;
}
