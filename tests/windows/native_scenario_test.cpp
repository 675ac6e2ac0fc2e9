// The native half of the Windows comparison: runs the shared scenarios through
// the commands as the native build links them and leaves the results where the
// Windows test step compares them with what the DLLs produce under Wine.
#include <gtest/gtest.h>

#include <string>
#include <sys/stat.h>

#include "export_command.h"
#include "import_command.h"
#include "model.h"
#include "scenario.h"

namespace {

std::string ResultsFolder() {
    const std::string folder = std::string(QEV_BIN_DIR) + "/../windows-scenario";
    mkdir(folder.c_str(), 0755);
    return folder;
}

TEST(NativeScenario, ExportWritesTheFileTheWindowsBuildMustMatch) {
    const std::string path = ResultsFolder() + "/" + scenario::kExportedFile;
    std::remove(path.c_str());
    msModel model;
    scenario::BuildExportModel(&model);
    ASSERT_EQ(ExportQevFile(&model, path.c_str()), 0);
    std::vector<unsigned char> written;
    ASSERT_TRUE(scenario::ReadBytes(path, written));
    EXPECT_FALSE(written.empty());
}

TEST(NativeScenario, ImportOfVersion3FileGivesTheModelTheWindowsBuildMustMatch) {
    const std::string folder = ResultsFolder();
    const std::string source = folder + "/" + scenario::kImportSource;
    ASSERT_TRUE(scenario::WriteBytes(source, scenario::Version3File()));
    msModel model;
    scenario::BuildImportTarget(&model);
    ASSERT_EQ(ImportQevFile(&model, source.c_str()), 0);
    // One mesh per mesh block and per geostate block joins the existing one;
    // the file's "spine" is the target's, "hip" and "tail" are added.
    EXPECT_EQ(msModel_GetMeshCount(&model), 5);
    EXPECT_EQ(msModel_GetBoneCount(&model), 4);
    const std::string dump = scenario::DumpModel(&model);
    ASSERT_TRUE(scenario::WriteBytes(folder + "/" + scenario::kImportedDump,
                                     std::vector<unsigned char>(dump.begin(), dump.end())));
}

}  // namespace
