// Writes that fail part way through: the command reports -1, removes its
// temporary file, leaves an existing target exactly as it was and keeps the
// model. Each export runs in a child process so that a file-size limit or a
// private mount stays there.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>

#include <cstdio>
#include <string>

#include "child_process.h"
#include "export_command.h"
#include "export_test_support.h"
#include "file_commit.h"
#include "private_mount.h"

namespace {

using namespace exporttest;
using testsupport::EnterPrivateMountNamespace;
using testsupport::RunInChild;

// A model whose file spans several stream buffers (about 340 KB), so that
// writes fail in fwrite and not only in the final flush.
msModel LargeModel() {
    msModel model;
    msMesh& mesh = qevmodel::AddMesh(model, "body");
    for (int i = 0; i < 5000; ++i) {
        msVertex& vertex = AddVertex(mesh, float(i), 1.0f, 2.0f);
        SetWeights(vertex, 50, 30, 20);
    }
    for (int i = 0; i < 1200; ++i) AddTriangle(mesh, uint16_t(i), uint16_t(i + 1), uint16_t(i + 2));
    for (int i = 0; i < 20; ++i) qevmodel::AddBone(model, "bone" + std::to_string(i));
    return model;
}

// What a child reports through its exit status.
enum ChildOutcome {
    kFailedAsExpected = 0,  // -1 and no msModel_Destroy
    kReportedSuccess = 1,   // result 0 although a write failed
    kDestroyedModel = 2,    // msModel_Destroy called on a failed export
    kSkipped = 77,          // the child could not set up its case
    kCheckFailed = 78,      // a check made inside the child failed
};

int ReportFrom(const msModel& model, int result) {
    if (result != -1) return kReportedSuccess;
    if (model.destroyCalls != 0) return kDestroyedModel;
    return kFailedAsExpected;
}

struct SizeLimitCase {
    const char* label;
    long limit;  // in bytes, counted from the start or back from the file's end
    bool fromEnd;
    bool targetExists;
};

void PrintTo(const SizeLimitCase& limit, std::ostream* out) { *out << limit.label; }

class ExportUnderSizeLimit : public ::testing::TestWithParam<SizeLimitCase> {};

TEST_P(ExportUnderSizeLimit, FailsWithoutTraceAndKeepsTheTarget) {
    ScratchFolder folder;
    const std::string target = folder.File("out.qev");
    long fileSize = 0;
    {
        msModel probe = LargeModel();
        ASSERT_EQ(ExportQevFile(&probe, target.c_str()), 0);
        fileSize = long(ReadFile(target).size());
        ASSERT_GT(fileSize, 4 * QEV_WRITE_BUFFER);
        remove(target.c_str());
    }
    const long limit = GetParam().fromEnd ? fileSize - GetParam().limit : GetParam().limit;
    const Bytes oldBytes = FromHex("0102030405060708090A");
    if (GetParam().targetExists) {
        ASSERT_TRUE(WriteFile(target, oldBytes));
    }

    const int outcome = RunInChild([&](std::string*) {
        msModel model = LargeModel();
        signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
        const rlimit fileLimit = {rlim_t(limit), rlim_t(limit)};
        if (setrlimit(RLIMIT_FSIZE, &fileLimit) != 0) return int(kSkipped);
        return ReportFrom(model, ExportQevFile(&model, target.c_str()));
    });

    if (outcome == kSkipped) GTEST_SKIP() << "cannot set a file-size limit";
    EXPECT_EQ(outcome, kFailedAsExpected) << "1: reported success, 2: destroyed the model, -1: child died";
    if (GetParam().targetExists) {
        EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.qev"});
        EXPECT_EQ(ReadFile(target), oldBytes);
    } else {
        EXPECT_TRUE(folder.Names().empty());
    }
}

INSTANTIATE_TEST_SUITE_P(
    Limits, ExportUnderSizeLimit,
    ::testing::Values(SizeLimitCase{"NothingFitsNewFile", 0, false, false},
                      SizeLimitCase{"NothingFitsExistingFile", 0, false, true},
                      SizeLimitCase{"OneByteFits", 1, false, true},
                      SizeLimitCase{"OneBufferFits", QEV_WRITE_BUFFER, false, true},
                      SizeLimitCase{"TwoAndAHalfBuffersFit", 5 * QEV_WRITE_BUFFER / 2, false, true},
                      SizeLimitCase{"AllButTheLastByteFitNewFile", 1, true, false},
                      SizeLimitCase{"AllButTheLastByteFitExistingFile", 1, true, true}),
    [](const ::testing::TestParamInfo<SizeLimitCase>& param) { return std::string(param.param.label); });

TEST(ExportOnFullFilesystem, FailsWithoutTraceAndKeepsTheTarget) {
    ScratchFolder folder;
    const std::string target = folder.File("out.qev");
    const int outcome = RunInChild([&](std::string*) {
        if (!EnterPrivateMountNamespace()) return int(kSkipped);
        if (mount("qevtmp", folder.path().c_str(), "tmpfs", 0, "size=16k") != 0) return int(kSkipped);
        const Bytes oldBytes(3000, 0x5A);
        if (!WriteFile(target, oldBytes)) return int(kCheckFailed);
        msModel model = LargeModel();  // more than the filesystem holds
        const int report = ReportFrom(model, ExportQevFile(&model, target.c_str()));
        if (report != kFailedAsExpected) return report;
        if (folder.Names() != std::vector<std::string>{"out.qev"} || ReadFile(target) != oldBytes)
            return int(kCheckFailed);
        return int(kFailedAsExpected);
    });
    if (outcome == kSkipped) GTEST_SKIP() << "no private tmpfs mount possible here";
    EXPECT_EQ(outcome, kFailedAsExpected)
        << "1: reported success, 2: destroyed the model, 78: old target not written, temporary file left or target changed";
}

}  // namespace
