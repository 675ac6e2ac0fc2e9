// The shared scenarios through the DLLs under Wine. Their results land beside
// the native build's (windows-scenario/ in each build folder) and the Windows
// test step compares the two byte for byte.
#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "dialog_script.h"
#include "host_calls.h"
#include "model.h"
#include "scenario.h"

namespace {

std::string ResultsFolder() {
    const std::string folder = host::ProgramFolder() + "\\..\\windows-scenario";
    CreateDirectoryA(folder.c_str(), nullptr);
    return folder;
}

class ScenarioUnderHost : public ::testing::Test {
protected:
    // Loads the plug-in, binds the dialog stand-in it imported, makes the object.
    void Start(host::PlugInLibrary& library) {
        ASSERT_NE(library.module, nullptr) << GetLastError();
        ASSERT_TRUE(dialogs.Bind());
        dialogs.Reset();
        plugIn = library.create();
        ASSERT_NE(plugIn, nullptr);
    }
    DialogScript dialogs;
    void* plugIn = nullptr;
};

TEST_F(ScenarioUnderHost, ExportWritesTheFileTheNativeBuildWrites) {
    host::PlugInLibrary exporter("msQevExporter.dll");
    Start(exporter);
    const std::string path = ResultsFolder() + "\\" + scenario::kExportedFile;
    DeleteFileA(path.c_str());
    msModel model;
    scenario::BuildExportModel(&model);
    dialogs.Answer(path.c_str());
    EXPECT_EQ(host::Execute(plugIn, &model), 0);
    std::vector<unsigned char> written;
    EXPECT_TRUE(scenario::ReadBytes(path, written));
    EXPECT_FALSE(written.empty());
    exporter.destroy(plugIn);
}

TEST_F(ScenarioUnderHost, ImportOfVersion3FileGivesTheModelTheNativeBuildGives) {
    host::PlugInLibrary importer("msQevImporter.dll");
    Start(importer);
    const std::string folder = ResultsFolder();
    const std::string source = folder + "\\" + scenario::kImportSource;
    ASSERT_TRUE(scenario::WriteBytes(source, scenario::Version3File()));
    msModel model;
    scenario::BuildImportTarget(&model);
    dialogs.Answer(source.c_str());
    EXPECT_EQ(host::Execute(plugIn, &model), 0);
    EXPECT_EQ(msModel_GetMeshCount(&model), 5);
    EXPECT_EQ(msModel_GetBoneCount(&model), 4);
    const std::string dump = scenario::DumpModel(&model);
    EXPECT_TRUE(scenario::WriteBytes(folder + "\\" + scenario::kImportedDump,
                                     std::vector<unsigned char>(dump.begin(), dump.end())));
    importer.destroy(plugIn);
}

// The thunk itself: the callee finds the stack pointer where the offset says,
// so the tests below really run the plug-ins misaligned.
TEST(StackOffsetCall, CalleeFindsTheStackPointerAtTheOffset) {
    for (unsigned offset : host::kStackOffsets) {
        const uintptr_t onEntry = reinterpret_cast<uintptr_t>(
            reinterpret_cast<void*>(host::CallThiscallWithStackOffset(host::StackPointerOnEntryProbe(), nullptr,
                                                                      nullptr, offset)));
        // On entry the return address lies just above the call's stack pointer.
        EXPECT_EQ((onEntry + 4 + offset) % 16, 0u) << "offset " << offset;
    }
}

// A host built by another compiler may call with 4-byte alignment only: a full
// export and a full import at every offset give what a plain call gives.
TEST_F(ScenarioUnderHost, ExportAtEveryStackOffsetWritesTheSameFile) {
    host::PlugInLibrary exporter("msQevExporter.dll");
    Start(exporter);
    const std::string path = ResultsFolder() + "\\stack-offset-export.qev";
    auto exportWith = [&](int offset, std::vector<unsigned char>& written) {
        DeleteFileA(path.c_str());
        msModel model;
        scenario::BuildExportModel(&model);
        dialogs.Answer(path.c_str());
        const int result = offset < 0 ? host::Execute(plugIn, &model)
                                      : host::ExecuteWithStackOffset(plugIn, &model, unsigned(offset));
        EXPECT_TRUE(scenario::ReadBytes(path, written));
        return result;
    };
    std::vector<unsigned char> plain;
    ASSERT_EQ(exportWith(-1, plain), 0);
    ASSERT_FALSE(plain.empty());
    for (unsigned offset : host::kStackOffsets) {
        std::vector<unsigned char> written;
        EXPECT_EQ(exportWith(int(offset), written), 0) << "offset " << offset;
        EXPECT_TRUE(written == plain) << "offset " << offset;
    }
    DeleteFileA(path.c_str());
    exporter.destroy(plugIn);
}

TEST_F(ScenarioUnderHost, ImportAtEveryStackOffsetGivesTheSameModel) {
    host::PlugInLibrary importer("msQevImporter.dll");
    Start(importer);
    const std::string source = ResultsFolder() + "\\stack-offset-import.qev";
    ASSERT_TRUE(scenario::WriteBytes(source, scenario::Version3File()));
    auto importWith = [&](int offset, std::string& dump) {
        msModel model;
        scenario::BuildImportTarget(&model);
        dialogs.Answer(source.c_str());
        const int result = offset < 0 ? host::Execute(plugIn, &model)
                                      : host::ExecuteWithStackOffset(plugIn, &model, unsigned(offset));
        dump = scenario::DumpModel(&model);
        return result;
    };
    std::string plain;
    ASSERT_EQ(importWith(-1, plain), 0);
    for (unsigned offset : host::kStackOffsets) {
        std::string dump;
        EXPECT_EQ(importWith(int(offset), dump), 0) << "offset " << offset;
        EXPECT_EQ(dump, plain) << "offset " << offset;
    }
    DeleteFileA(source.c_str());
    importer.destroy(plugIn);
}

}  // namespace
