// What the exporter asks of the host, and when. The test program puts its own
// definitions of the model library's getters in front of the stand-in
// library: each one records its name and passes the call on, and the name
// getters can play a host that fills the whole buffer without a terminator.
// It stands in front of fwrite as well, to see where the first write fails.
#include <dlfcn.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <set>
#include <string>
#include <vector>

#include "child_process.h"
#include "export_command.h"
#include "export_test_support.h"
#include "file_commit.h"
#include "win32_standin.h"

namespace {

std::vector<std::string> g_calls;
int g_depth = 0;  // calls the library makes to itself are not the exporter's
bool g_unterminatedNames = false;
std::string g_targetAtDestroy;  // the file whose size msModel_Destroy notes
long g_targetSizeAtDestroy = -1;
bool g_watchWrites = false;  // fwrite notes its failures among the calls
bool g_writeFailed = false;
size_t g_bytesWritten = 0;  // handed to fwrite before its first failure
const char kFailedWrite[] = "<failed fwrite>";

struct Nested {
    Nested() { ++g_depth; }
    ~Nested() { --g_depth; }
};

void Record(const char* name) {
    if (g_depth == 0) g_calls.push_back(name);
}

template <typename Function>
Function Real(const char* name) {
    return reinterpret_cast<Function>(dlsym(RTLD_NEXT, name));
}

}  // namespace

#define PASS_ON(result, name, params, args)                     \
    extern "C" result name params {                             \
        Record(#name);                                          \
        static const auto real = Real<result(*) params>(#name); \
        Nested nested;                                          \
        return real args;                                       \
    }

PASS_ON(int32_t, msModel_GetMeshCount, (msModel * m), (m))
PASS_ON(msMesh*, msModel_GetMeshAt, (msModel * m, int32_t i), (m, i))
PASS_ON(int32_t, msModel_GetBoneCount, (msModel * m), (m))
PASS_ON(msBone*, msModel_GetBoneAt, (msModel * m, int32_t i), (m, i))
PASS_ON(int32_t, msMesh_GetVertexCount, (msMesh * m), (m))
PASS_ON(msVertex*, msMesh_GetVertexAt, (msMesh * m, int32_t i), (m, i))
PASS_ON(msVertexEx*, msMesh_GetVertexExAt, (msMesh * m, int32_t i), (m, i))
PASS_ON(int32_t, msMesh_GetTriangleCount, (msMesh * m), (m))
PASS_ON(msTriangle*, msMesh_GetTriangleAt, (msMesh * m, int32_t i), (m, i))
PASS_ON(msTriangleEx*, msMesh_GetTriangleExAt, (msMesh * m, int32_t i), (m, i))
PASS_ON(void, msVertex_GetVertex, (msVertex * v, float p[3]), (v, p))
PASS_ON(int32_t, msVertex_GetBoneIndex, (msVertex * v), (v))
PASS_ON(int32_t, msVertexEx_GetBoneIndices, (msVertexEx * v, int32_t s), (v, s))
PASS_ON(int32_t, msVertexEx_GetBoneWeights, (msVertexEx * v, int32_t s), (v, s))
PASS_ON(uint32_t, msVertexEx_GetExtra, (msVertexEx * v, int32_t s), (v, s))
PASS_ON(void, msTriangle_GetVertexIndices, (msTriangle * t, uint16_t i[3]), (t, i))
PASS_ON(void, msTriangleEx_GetNormal, (msTriangleEx * t, int32_t c, float n[3]), (t, c, n))
PASS_ON(void, msTriangleEx_GetTexCoord, (msTriangleEx * t, int32_t c, float uv[2]), (t, c, uv))
PASS_ON(void, msBone_GetPosition, (msBone * b, float p[3]), (b, p))
PASS_ON(void, msBone_GetRotation, (msBone * b, float r[3]), (b, r))

extern "C" void msMesh_GetName(msMesh* mesh, char* name, int32_t size) {
    Record("msMesh_GetName");
    if (g_unterminatedNames) return (void)memset(name, 'x', size_t(size));
    static const auto real = Real<void (*)(msMesh*, char*, int32_t)>("msMesh_GetName");
    Nested nested;
    real(mesh, name, size);
}

extern "C" void msBone_GetName(msBone* bone, char* name, int32_t size) {
    Record("msBone_GetName");
    if (g_unterminatedNames) return (void)memset(name, 'y', size_t(size));
    static const auto real = Real<void (*)(msBone*, char*, int32_t)>("msBone_GetName");
    Nested nested;
    real(bone, name, size);
}

extern "C" size_t fwrite(const void* __restrict data, size_t size, size_t count, FILE* __restrict stream) {
    static const auto real = Real<size_t (*)(const void*, size_t, size_t, FILE*)>("fwrite");
    const size_t written = real(data, size, count, stream);
    if (g_watchWrites) {
        if (written != count) {
            g_calls.push_back(kFailedWrite);
            g_writeFailed = true;
        }
        if (!g_writeFailed) g_bytesWritten += size * count;
    }
    return written;
}

extern "C" void msModel_Destroy(msModel* model) {
    Record("msModel_Destroy");
    g_targetSizeAtDestroy = long(exporttest::ReadFile(g_targetAtDestroy).size());
    static const auto real = Real<void (*)(msModel*)>("msModel_Destroy");
    Nested nested;
    real(model);
}

namespace {

using namespace exporttest;

class ExportHostCalls : public ::testing::Test {
protected:
    void SetUp() override {
        standin::ResetWin32StandIn();
        g_calls.clear();
        g_unterminatedNames = false;
        g_targetAtDestroy = folder.File("out.qev");
        g_targetSizeAtDestroy = -1;
    }
    void TearDown() override { g_unterminatedNames = false; }

    ScratchFolder folder;
    msModel model;
};

TEST_F(ExportHostCalls, RecordsAreFetchedInFileOrderAndTheModelIsDestroyedLast) {
    msMesh& mesh = qevmodel::AddMesh(model, "m");
    AddVertex(mesh, 0, 0, 0);
    AddTriangle(mesh, 0, 0, 0);
    qevmodel::AddBone(model, "b");
    standin::ScriptDialogAnswer(folder.File("out.qev"));

    ASSERT_EQ(RunExportCommand(&model), 0);

    const std::vector<std::string> corner = {"msTriangleEx_GetNormal", "msTriangleEx_GetTexCoord"};
    std::vector<std::string> expected = {
        "msModel_GetMeshCount",  // the empty-model check, before the dialog
        "msModel_GetMeshCount", "msModel_GetMeshAt", "msMesh_GetVertexCount",
        "msMesh_GetVertexAt", "msMesh_GetVertexExAt", "msVertexEx_GetExtra", "msVertexEx_GetExtra",
        "msVertex_GetVertex", "msVertex_GetBoneIndex",
        "msVertexEx_GetBoneIndices", "msVertexEx_GetBoneIndices", "msVertexEx_GetBoneIndices",
        "msVertexEx_GetBoneWeights", "msVertexEx_GetBoneWeights", "msVertexEx_GetBoneWeights",
        "msMesh_GetTriangleCount", "msMesh_GetTriangleAt", "msMesh_GetTriangleExAt",
        "msTriangle_GetVertexIndices"};
    for (int c = 0; c < 3; ++c) expected.insert(expected.end(), corner.begin(), corner.end());
    for (const char* call : {"msMesh_GetName", "msModel_GetBoneCount", "msModel_GetBoneAt", "msBone_GetName",
                             "msBone_GetPosition", "msBone_GetRotation", "msModel_Destroy"})
        expected.push_back(call);
    EXPECT_EQ(g_calls, expected);
    // 8 + 4 + 52 + 4 + 66 + 4 + 2 + 4 + 1 + 1 + 24: the whole file was in place.
    EXPECT_EQ(g_targetSizeAtDestroy, 170);
}

TEST_F(ExportHostCalls, NamesWithoutTerminatorAreCutAtTheirBounds) {
    qevmodel::AddMesh(model, "m");
    qevmodel::AddBone(model, "b");
    g_unterminatedNames = true;

    ASSERT_EQ(ExportQevFile(&model, folder.File("out.qev").c_str()), 0);

    std::string mesh = "FF", bone = "63";
    for (int i = 0; i < 255; ++i) mesh += "78";
    for (int i = 0; i < 99; ++i) bone += "79";
    const Bytes expected = FromHex("04000000 01000000 00000000 00000000 00000000" + mesh + "01000000" + bone +
                                   "00000000 00000000 00000000 00000000 00000000 00000000");
    EXPECT_EQ(ToHex(ReadFile(folder.File("out.qev"))), ToHex(expected));
}

// Under a file-size limit at and between multiples of the stream buffer, in a
// model several buffers long: the write that fails is the one whose bytes
// need the buffer that reaches past the limit, and after it no record is
// fetched from the host any more; only the current mesh block's triangle
// count and name may still be asked for.
TEST_F(ExportHostCalls, NothingIsFetchedAfterTheFirstFailedWrite) {
    for (int m = 0; m < 3; ++m) {
        msMesh& mesh = qevmodel::AddMesh(model, "mesh" + std::to_string(m));
        for (int i = 0; i < 2000; ++i) AddVertex(mesh, float(i), float(m), 0);
        for (int i = 0; i < 1500; ++i) AddTriangle(mesh, uint16_t(i), uint16_t(i + 1), uint16_t(i + 2));
    }
    for (int b = 0; b < 300; ++b) qevmodel::AddBone(model, "bone" + std::to_string(b));
    const std::string target = folder.File("out.qev");
    long fileSize = 0;
    {
        msModel probe = model;
        ASSERT_EQ(ExportQevFile(&probe, target.c_str()), 0);
        fileSize = long(ReadFile(target).size());
        ASSERT_GT(fileSize, 8L * QEV_WRITE_BUFFER);
        remove(target.c_str());
    }
    // Past the last buffer edge only the final flush can fail, never fwrite.
    const long buffer = QEV_WRITE_BUFFER;
    std::vector<long> limits;
    for (long edge = 0; edge + buffer < fileSize; edge += buffer) {
        for (long limit : {edge - 1, edge, edge + 1, edge + buffer / 2, edge + buffer - 1}) {
            if (limit >= 0 && (limit / buffer + 1) * buffer < fileSize) limits.push_back(limit);
        }
    }

    std::string message;
    const int outcome = testsupport::RunInChild(
        [&](std::string* fault) {
            signal(SIGXFSZ, SIG_IGN);  // a write past the limit then fails with EFBIG
            for (long limit : limits) {
                const rlimit fileLimit = {rlim_t(limit), rlim_t(fileSize)};
                if (setrlimit(RLIMIT_FSIZE, &fileLimit) != 0) return 77;
                msModel copy = model;
                g_calls.clear();
                g_bytesWritten = 0;
                g_writeFailed = false;
                g_watchWrites = true;
                const int result = ExportQevFile(&copy, target.c_str());
                g_watchWrites = false;
                const std::string at = " with a limit of " + std::to_string(limit) + " bytes";
                const auto failed = std::find(g_calls.begin(), g_calls.end(), kFailedWrite);
                if (result != -1 || copy.destroyCalls != 0) *fault = "the export did not fail cleanly" + at;
                else if (failed == g_calls.end()) *fault = "no fwrite failed" + at;
                // The failing record is the one that crosses the edge of the
                // buffer holding the limit; the longest record is a mesh tail.
                const long edge = (limit / buffer + 1) * buffer;
                if (fault->empty() && (long(g_bytesWritten) > edge || long(g_bytesWritten) + 4 + 1 + 255 < edge))
                    *fault = std::to_string(g_bytesWritten) + " bytes written before the failure" + at;
                // Once a write has failed, nothing more is asked of the host.
                if (fault->empty() && failed != g_calls.end() && failed + 1 != g_calls.end())
                    *fault = *(failed + 1) + " asked for after the failed write" + at;
                if (!fault->empty()) return 1;
            }
            return 0;
        },
        &message);
    if (outcome == 77) GTEST_SKIP() << "cannot set a file-size limit";
    EXPECT_EQ(outcome, 0) << message << " (" << limits.size() << " limits)";
    EXPECT_GE(limits.size(), 30u);
}

TEST_F(ExportHostCalls, FailedExportNeverDestroysTheModel) {
    qevmodel::AddMesh(model, "m");
    ASSERT_EQ(ExportQevFile(&model, folder.File("missing/out.qev").c_str()), -1);
    for (const std::string& call : g_calls) EXPECT_NE(call, "msModel_Destroy");
}

}  // namespace
