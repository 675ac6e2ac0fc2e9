// Runs the built qevhost as a separate program, as a user would, and collects
// what it printed and its exit status.
#ifndef QEV_TESTS_QEVHOST_RUNNER_H
#define QEV_TESTS_QEVHOST_RUNNER_H

#include <filesystem>
#include <string>
#include <vector>

#include "json_text.h"

struct QevhostRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
    qevhost::Json Report() const;  // stdout parsed; fails the test when it is not JSON
};

QevhostRun RunQevhost(const std::vector<std::string>& args);

// A fresh folder under the system's temporary folder, removed with the object.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    std::filesystem::path operator/(const std::string& name) const { return path_ / name; }
    const std::filesystem::path& path() const { return path_; }

private:
    std::filesystem::path path_;
};

std::string ReadBytes(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, const std::string& text);

// "04000000 0100" -> bytes; spaces and line breaks are ignored.
std::string BytesFromHex(const std::string& hex);

#endif
