// The fuzz target's import and checks over every stored seed and regression
// input, into an empty model and into one with content, so a finding once
// fixed stays fixed in the normal suite too.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "import_check.h"
#include "test_files.h"

namespace {

std::vector<std::string> InputsIn(const std::string& dir) {
    std::vector<std::string> paths;
    if (DIR* d = opendir(dir.c_str())) {
        while (dirent* entry = readdir(d)) {
            const std::string name = entry->d_name;
            if (name == "." || name == ".." || name == "README.md") continue;
            paths.push_back(dir + "/" + name);
        }
        closedir(d);
    }
    std::sort(paths.begin(), paths.end());
    return paths;
}

void ImportEach(const std::vector<std::string>& paths) {
    for (const std::string& path : paths) {
        const std::vector<uint8_t> bytes = testsupport::ReadFile(path);
        for (qevfuzz::StartModel start : {qevfuzz::StartModel::kEmpty, qevfuzz::StartModel::kWithContent}) {
            EXPECT_EQ(qevfuzz::ImportAndCheck(bytes.data(), bytes.size(), start), "")
                << path << (start == qevfuzz::StartModel::kEmpty ? " into an empty model" : " into a model");
        }
        EXPECT_EQ(qevfuzz::CheckPathAndCompare(bytes.data(), bytes.size()), "") << path << " checked";
    }
}

TEST(FuzzCorpus, EverySeedImportsCleanly) {
    const std::vector<std::string> seeds = InputsIn(std::string(QEV_FUZZ_DIR) + "/seeds");
    ASSERT_GE(seeds.size(), 4u) << "the seed corpus is missing";
    ImportEach(seeds);
}

TEST(FuzzCorpus, EveryRegressionInputImportsCleanly) {
    const std::vector<std::string> inputs = InputsIn(std::string(QEV_FUZZ_DIR) + "/regressions");
    ASSERT_FALSE(inputs.empty()) << "the regression inputs are missing";
    ImportEach(inputs);
}

}  // namespace
