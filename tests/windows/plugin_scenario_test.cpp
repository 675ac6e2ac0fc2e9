// The shared scenarios through the DLLs under Wine. Their results land beside
// the native build's (windows-scenario/ in each build folder) and the Windows
// test step compares the two byte for byte.
#include <gtest/gtest.h>

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

}  // namespace
