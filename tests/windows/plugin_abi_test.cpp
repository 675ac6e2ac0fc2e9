// The shipped DLLs as the host sees them: exports by name and ordinal, the
// object through its table only, the dialog request as comdlg32 receives it.
#include <gtest/gtest.h>
#include <windows.h>
#include <psapi.h>

#include <cstring>
#include <string>

#include "chooser_request_checks.h"
#include "dialog_script.h"
#include "host_calls.h"
#include "model.h"
#include "scenario.h"

namespace {

struct Expected {
    const char* library;
    int type;
    const char* dialogFunction;
    const char* title;
    DWORD flags;
};

const Expected kPlugIns[] = {
    {"msQevImporter.dll", 129, "GetOpenFileNameA", "Import QEV Object", 0x1804},
    {"msQevExporter.dll", 130, "GetSaveFileNameA", "Export QEV Object", 0x806},
};

void PrintTo(const Expected& expected, std::ostream* out) { *out << expected.library; }

long long CommittedBytes() {
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof(counters));
    counters.cb = sizeof(counters);
    GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof(counters));
    return static_cast<long long>(counters.PagefileUsage);
}

class PlugInUnderHost : public ::testing::TestWithParam<Expected> {
protected:
    void SetUp() override {
        ASSERT_NE(library.module, nullptr) << GetParam().library << " did not load, error " << GetLastError();
        ASSERT_NE(library.create, nullptr);
        ASSERT_NE(library.destroy, nullptr);
        ASSERT_TRUE(dialogs.Bind()) << "comdlg32.dll is not the stand-in: run with WINEDLLOVERRIDES=comdlg32=n";
        dialogs.Reset();
        // The exporter asks for a file only for a model with meshes.
        msModel_AddMesh(&model);
        plugIn = library.create();
        ASSERT_NE(plugIn, nullptr);
    }
    void TearDown() override {
        if (plugIn) library.destroy(plugIn);
    }

    host::PlugInLibrary library{GetParam().library};
    DialogScript dialogs;
    msModel model;
    void* plugIn = nullptr;
};

TEST_P(PlugInUnderHost, ExportsAreFoundByNameAndByOrdinal) {
    const auto byOrdinal = [&](WORD ordinal) {
        return reinterpret_cast<void*>(GetProcAddress(library.module, MAKEINTRESOURCEA(ordinal)));
    };
    EXPECT_EQ(byOrdinal(1), reinterpret_cast<void*>(library.create));
    EXPECT_EQ(byOrdinal(2), reinterpret_cast<void*>(library.destroy));
    EXPECT_EQ(byOrdinal(3), nullptr);
}

TEST_P(PlugInUnderHost, TypeAndTitleComeThroughTheirSlots) {
    EXPECT_EQ(host::GetType(plugIn), GetParam().type);
    EXPECT_EQ(host::GetType(plugIn), GetParam().type);
    const char* title = host::GetTitle(plugIn);
    EXPECT_STREQ(title, "PELG Object");
    EXPECT_EQ(host::GetTitle(plugIn), title);
    // The title lives in the object, after its table pointer: the slot got the
    // object in ECX, as a __thiscall caller passes it.
    const char* object = static_cast<const char*>(plugIn);
    EXPECT_GE(title, object + sizeof(void*));
    EXPECT_LT(title, object + sizeof(void*) + 64);
}

TEST_P(PlugInUnderHost, NullModelIsRefusedBeforeAnyDialog) {
    dialogs.Answer("Z:\\nonexistent\\should-not-be-asked.qev");
    EXPECT_EQ(host::Execute(plugIn, nullptr), -1);
    EXPECT_TRUE(dialogs.Records().empty());
}

TEST_P(PlugInUnderHost, CancelReturnsZeroAndLeavesTheModelAloneEveryRun) {
    const std::string before = scenario::DumpModel(&model);
    dialogs.Cancel();
    EXPECT_EQ(host::Execute(plugIn, &model), 0);
    EXPECT_EQ(host::Execute(plugIn, &model), 0);
    EXPECT_EQ(dialogs.Records().size(), 2u);
    EXPECT_EQ(msModel_GetMeshCount(&model), 1);
    EXPECT_EQ(scenario::DumpModel(&model), before);
}

TEST_P(PlugInUnderHost, DialogRequestArrivesAsThePlatformDefinesIt) {
    dialogs.Cancel();
    host::Execute(plugIn, &model);
    const std::vector<QevDialogRecord> records = dialogs.Records();
    ASSERT_EQ(records.size(), 1u);
    const QevDialogRecord& record = records[0];
    EXPECT_STREQ(record.function, GetParam().dialogFunction);
    ExpectChooserRequestFields(record.request, 88u, GetParam().flags);
    EXPECT_STREQ(record.title, GetParam().title);
    EXPECT_STREQ(record.defaultExtension, "qev");
    EXPECT_STREQ(record.initialFile, "");
    EXPECT_EQ(std::string(reinterpret_cast<const char*>(record.filterBytes), record.filterLength),
              std::string(kChooserFilterBytes, sizeof(kChooserFilterBytes)));
}

TEST_P(PlugInUnderHost, UnopenablePathFails) {
    dialogs.Answer("Z:\\nonexistent-folder-qev\\model.qev");
    EXPECT_EQ(host::Execute(plugIn, &model), -1);
    EXPECT_EQ(dialogs.Records().size(), 1u);
    EXPECT_EQ(msModel_GetMeshCount(&model), 1);
}

TEST_P(PlugInUnderHost, DestroyPlugInAndSlotZeroFreeTheObject) {
    // A leak of the 68-byte object would show as megabytes over this many
    // rounds; a freed object is reused and the process does not grow.
    const int kRounds = 100000;
    const long long start = CommittedBytes();
    for (int i = 0; i < kRounds; ++i) library.destroy(library.create());
    for (int i = 0; i < kRounds; ++i) host::DeletingDestructor(library.create(), 1);
    EXPECT_LT(static_cast<long long>(CommittedBytes()) - start, 1LL << 20);
    library.destroy(nullptr);
}

INSTANTIATE_TEST_SUITE_P(BothLibraries, PlugInUnderHost, ::testing::ValuesIn(kPlugIns),
                         [](const ::testing::TestParamInfo<Expected>& p) {
                             const std::string name = p.param.library;
                             return name.substr(0, name.find('.'));
                         });

}  // namespace
