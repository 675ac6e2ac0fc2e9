// The exporter when the disk refuses bytes at many points of the file: under
// a file-size limit at every stream buffer's edge and at many points between,
// and on a small full filesystem at many levels of free space. Every time the
// result is -1, msModel_Destroy is not called, no temporary file is left and
// the existing target keeps its old bytes. The exporter's own tests cover one
// point of each kind; these walk the whole file.
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <set>
#include <string>
#include <vector>

#include "child_process.h"
#include "damaged_support.h"
#include "export_command.h"
#include "file_commit.h"
#include "model.h"
#include "private_mount.h"
#include "test_files.h"

namespace {

using damaged::Bytes;
using testsupport::EnterPrivateMountNamespace;
using testsupport::ReadFile;
using testsupport::RunInChild;
using testsupport::ScratchFolder;
using testsupport::WriteFile;

// Several meshes (one with a 255-byte name), enough vertices that the file
// spans six stream buffers (about 420 KB), and bones, so a failure can fall
// in every kind of record and in fwrite as well as in the final flush.
msModel RichModel() {
    msModel model;
    for (int m = 0; m < 3; ++m) {
        msMesh& mesh = qevmodel::AddMesh(model, m == 1 ? std::string(255, 'n') : "mesh" + std::to_string(m));
        for (int i = 0; i < 2200; ++i) {
            msVertex& vertex = mesh.vertices.emplace_back();
            vertex.position[0] = float(i);
            vertex.ex.boneWeights[0] = i % 101;
        }
        for (int i = 0; i < 400; ++i) mesh.triangles.emplace_back().vertexIndices[1] = uint16_t(i);
    }
    for (int b = 0; b < 40; ++b) qevmodel::AddBone(model, "bone" + std::to_string(b));
    return model;
}

// Codes a child reports through its exit status.
enum Outcome { kAllFailedCleanly = 0, kSkipped = 77, kSetUpFailed = 78, kFault = 79 };

// Exports a fresh copy of model to target and checks the outcome of a failed
// write. Returns "" or what went wrong.
std::string ExportExpectingFailure(const msModel& source, const std::string& target, const ScratchFolder& folder,
                                   const Bytes& oldBytes, const std::vector<std::string>& namesBefore) {
    msModel model = source;
    const int result = ExportQevFile(&model, target.c_str());
    if (result != -1) return "result " + std::to_string(result);
    if (model.destroyCalls != 0) return "msModel_Destroy called";
    if (folder.Names() != namesBefore) return "temporary file left";
    if (ReadFile(target) != oldBytes) return "target changed";
    return "";
}

// Every buffer edge k * QEV_WRITE_BUFFER and its neighbours, every 641st
// byte, and the first and last bytes of the file.
std::vector<long> LimitsFor(long fileSize) {
    std::set<long> limits;
    for (long n = 0; n < 16; ++n) limits.insert(n);
    for (long at = 0; at < fileSize; at += 641) limits.insert(at);
    for (long edge = QEV_WRITE_BUFFER; edge < fileSize + QEV_WRITE_BUFFER; edge += QEV_WRITE_BUFFER) {
        for (long d = -1; d <= 1; ++d) limits.insert(edge + d);
    }
    for (long n = 1; n <= 8; ++n) limits.insert(fileSize - n);
    std::vector<long> inside;
    for (long limit : limits) {
        if (limit >= 0 && limit < fileSize) inside.push_back(limit);
    }
    return inside;
}

TEST(ExportFailureSweep, UnderEveryFileSizeLimitFailsWithoutTrace) {
    ScratchFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::string target = folder.path() + "/out.qev";
    long fileSize = 0;
    {
        msModel probe = RichModel();
        ASSERT_EQ(ExportQevFile(&probe, target.c_str()), 0);
        fileSize = long(ReadFile(target).size());
        ASSERT_GT(fileSize, 6L * QEV_WRITE_BUFFER);
    }
    const Bytes oldBytes(100, 0xA5);
    ASSERT_TRUE(WriteFile(target, oldBytes));
    const std::vector<long> limits = LimitsFor(fileSize);

    std::string message;
    const int outcome = RunInChild(
        [&](std::string* fault) {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
            const msModel model = RichModel();
            rlimit limit;
            if (getrlimit(RLIMIT_FSIZE, &limit) != 0 ||
                (limit.rlim_max != RLIM_INFINITY && limit.rlim_max < rlim_t(fileSize)))
                return int(kSkipped);
            for (long size : limits) {
                limit.rlim_cur = rlim_t(size);
                if (setrlimit(RLIMIT_FSIZE, &limit) != 0) return int(kSkipped);
                *fault = ExportExpectingFailure(model, target, folder, oldBytes, {"out.qev"});
                if (!fault->empty()) {
                    *fault += " with a limit of " + std::to_string(size) + " bytes";
                    return int(kFault);
                }
            }
            // The same model fits exactly at the file's own size: the sweep's edge is real.
            limit.rlim_cur = rlim_t(fileSize);
            msModel model2 = model;
            if (setrlimit(RLIMIT_FSIZE, &limit) != 0 || ExportQevFile(&model2, target.c_str()) != 0 ||
                model2.destroyCalls != 1 || long(ReadFile(target).size()) != fileSize) {
                *fault = "the export did not succeed at the file's own size";
                return int(kFault);
            }
            return int(kAllFailedCleanly);
        },
        &message);
    if (outcome == kSkipped) GTEST_SKIP() << "cannot set a file-size limit";
    EXPECT_EQ(outcome, kAllFailedCleanly) << message << " (" << limits.size() << " limits)";
}

TEST(ExportFailureSweep, OnAFullFilesystemAtEveryFillLevelFailsWithoutTrace) {
    ScratchFolder folder;
    ASSERT_FALSE(folder.path().empty());
    const std::string target = folder.path() + "/out.qev";
    std::string message;
    const int outcome = RunInChild(
        [&](std::string* fault) {
            if (!EnterPrivateMountNamespace()) return int(kSkipped);
            // Room for the old target, the filler and less than the new file.
            if (mount("qevsweep", folder.path().c_str(), "tmpfs", 0, "size=512k") != 0) return int(kSkipped);
            const msModel model = RichModel();
            const Bytes oldBytes(3000, 0x5A);
            if (!WriteFile(target, oldBytes)) return int(kSetUpFailed);
            const std::string filler = folder.path() + "/filler";
            for (long freeBytes = 0; freeBytes <= 384 * 1024; freeBytes += 16 * 1024) {
                // Fill the filesystem up, then give back freeBytes.
                FILE* file = std::fopen(filler.c_str(), "wb");
                if (!file) return int(kSetUpFailed);
                const Bytes block(512, 0);
                while (std::fwrite(block.data(), 1, block.size(), file) == block.size() && std::fflush(file) == 0) {
                }
                std::fclose(file);
                const long filled = long(ReadFile(filler).size());
                if (truncate(filler.c_str(), std::max(0L, filled - freeBytes)) != 0) return int(kSetUpFailed);
                *fault = ExportExpectingFailure(model, target, folder, oldBytes, {"filler", "out.qev"});
                std::remove(filler.c_str());
                if (!fault->empty()) {
                    *fault += " with " + std::to_string(freeBytes) + " bytes free";
                    return int(kFault);
                }
            }
            return int(kAllFailedCleanly);
        },
        &message);
    if (outcome == kSkipped) GTEST_SKIP() << "no private tmpfs mount possible here";
    EXPECT_EQ(outcome, kAllFailedCleanly) << message;
}

}  // namespace
