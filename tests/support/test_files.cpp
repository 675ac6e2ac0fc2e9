#include "test_files.h"

#include <dirent.h>
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <stdexcept>

namespace testsupport {

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

Bytes ReadFile(const std::string& path) {
    Bytes bytes;
    if (FILE* file = std::fopen(path.c_str(), "rb")) {
        unsigned char chunk[4096];
        size_t got;
        while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
        std::fclose(file);
    }
    return bytes;
}

bool WriteFile(const std::string& path, const Bytes& bytes) {
    FILE* file = std::fopen(path.c_str(), "wb");
    if (!file) return false;
    const bool ok = bytes.empty() || std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size();
    return std::fclose(file) == 0 && ok;
}

TempFile::TempFile(const Bytes& bytes) {
    static int counter = 0;
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    std::string name = test ? std::string(test->test_suite_name()) + "_" + test->name() : "file";
    for (char& c : name) {
        if (c == '/') c = '_';
    }
    path_ = ::testing::TempDir() + "qev_" + name + "_" + std::to_string(getpid()) + "_" + std::to_string(++counter) +
            ".qev";
    if (!WriteFile(path_, bytes)) ADD_FAILURE() << "cannot write " << path_;
}

TempFile::~TempFile() { std::remove(path_.c_str()); }

ScratchFolder::ScratchFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qev-test-XXXXXX";
    if (!mkdtemp(&pattern[0])) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    for (const std::string& name : Names()) std::remove(File(name).c_str());
    rmdir(path_.c_str());
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path_.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

}  // namespace testsupport
