#include "qevhost_runner.h"

#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace {

std::string ShellQuoted(const std::string& arg) {
    std::string quoted = "'";
    for (char c : arg) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

}  // namespace

qevhost::Json QevhostRun::Report() const {
    qevhost::Json json;
    std::string error;
    EXPECT_TRUE(qevhost::ParseJson(out, json, error)) << error << "\nstdout:\n" << out;
    return json;
}

QevhostRun RunQevhost(const std::vector<std::string>& args) {
    ScratchFolder capture;
    std::string command = ShellQuoted(std::string(QEV_BIN_DIR) + "/qevhost");
    for (const std::string& arg : args) command += " " + ShellQuoted(arg);
    command += " >" + ShellQuoted((capture / "out").string()) + " 2>" + ShellQuoted((capture / "err").string());
    const int status = std::system(command.c_str());
    QevhostRun run;
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.out = ReadBytes(capture / "out");
    run.err = ReadBytes(capture / "err");
    return run;
}

ScratchFolder::ScratchFolder() {
    std::string pattern = (std::filesystem::temp_directory_path() / "qevhost-test-XXXXXX").string();
    if (mkdtemp(pattern.data())) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    std::error_code ignored;
    if (!path_.empty()) std::filesystem::remove_all(path_, ignored);
}

std::string ReadBytes(const std::filesystem::path& path) {
    std::ifstream file(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << file.rdbuf();
    return bytes.str();
}

void WriteText(const std::filesystem::path& path, const std::string& text) {
    std::ofstream file(path, std::ios::binary);
    file << text;
}

std::string BytesFromHex(const std::string& hex) {
    std::string bytes;
    std::string digits;
    for (char c : hex)
        if (std::isxdigit(static_cast<unsigned char>(c))) digits += c;
    for (size_t i = 0; i + 1 < digits.size(); i += 2)
        bytes += static_cast<char>(std::stoi(digits.substr(i, 2), nullptr, 16));
    return bytes;
}
