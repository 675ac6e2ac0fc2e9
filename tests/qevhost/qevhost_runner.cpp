#include "qevhost_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "test_files.h"

namespace {

std::string ReadText(const std::string& path) {
    const testsupport::Bytes bytes = testsupport::ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

std::string ShellQuoted(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

qevmodel::Json QevhostRun::Report() const {
    qevmodel::Json json;
    std::string error;
    EXPECT_TRUE(qevmodel::ParseJson(out, json, error)) << error << "\nstdout:\n" << out;
    return json;
}

QevhostRun RunQevhost(const std::vector<std::string>& args) {
    testsupport::ScratchFolder capture;
    std::string command = ShellQuoted(std::string(QEV_BIN_DIR) + "/qevhost");
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command += " >" + ShellQuoted(capture.File("out")) + " 2>" + ShellQuoted(capture.File("err"));
    const int status = std::system(command.c_str());
    QevhostRun run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadText(capture.File("out"));
    run.err = ReadText(capture.File("err"));
    return run;
}

void WriteText(const std::string& path, const std::string& text) {
    ASSERT_TRUE(testsupport::WriteFile(path, testsupport::Bytes(text.begin(), text.end()))) << path;
}
