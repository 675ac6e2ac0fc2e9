// The export command's outcomes: what it shows, what it leaves on disk, and
// whether the model goes back to the host through msModel_Destroy.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "empty_model_warning_checks.h"
#include "export_command.h"
#include "export_test_support.h"
#include "win32_standin.h"

namespace {

using namespace exporttest;

const char kEmptyMeshNamedA[] = "04000000 01000000 00000000 00000000 00000000 01 61 00000000";

class ExportCommand : public ::testing::Test {
protected:
    void SetUp() override { standin::ResetWin32StandIn(); }
    void TearDown() override { standin::ResetWin32StandIn(); }

    ScratchFolder folder;
    msModel model;
};

TEST_F(ExportCommand, ModelWithBonesButNoMeshesWarnsBeforeAnyDialog) {
    qevmodel::AddBone(model, "root");
    const msModel before = model;
    standin::ScriptDialogAnswer(folder.File("out.qev"));

    EXPECT_EQ(RunExportCommand(&model), 0);

    ASSERT_NO_FATAL_FAILURE(ExpectEmptyModelWarningBox());
    EXPECT_TRUE(standin::RecordedDialogs().empty());
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(model.destroyCalls, 0);
    EXPECT_TRUE(qevmodel::SameContent(model, before));
}

TEST_F(ExportCommand, CancelWritesNothingAndKeepsTheModel) {
    qevmodel::AddMesh(model, "a");
    standin::ScriptDialogCancel();

    EXPECT_EQ(RunExportCommand(&model), 0);

    EXPECT_EQ(standin::RecordedDialogs().size(), 1u);
    EXPECT_TRUE(standin::RecordedMessageBoxes().empty());
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(model.destroyCalls, 0);
}

TEST_F(ExportCommand, PathInMissingFolderFailsSilently) {
    qevmodel::AddMesh(model, "a");
    const msModel before = model;
    standin::ScriptDialogAnswer(folder.File("missing/out.qev"));

    EXPECT_EQ(RunExportCommand(&model), -1);

    EXPECT_TRUE(standin::RecordedMessageBoxes().empty());
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(model.destroyCalls, 0);
    EXPECT_TRUE(qevmodel::SameContent(model, before));
}

TEST_F(ExportCommand, ChosenFileIsWrittenAndTheModelHandedBackOnce) {
    qevmodel::AddMesh(model, "a");
    standin::ScriptDialogAnswer(folder.File("out.qev"));

    EXPECT_EQ(RunExportCommand(&model), 0);

    EXPECT_TRUE(standin::RecordedMessageBoxes().empty());
    EXPECT_EQ(model.destroyCalls, 1);
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.qev"});
    EXPECT_EQ(ToHex(ReadFile(folder.File("out.qev"))), ToHex(FromHex(kEmptyMeshNamedA)));
}

TEST_F(ExportCommand, ExistingLongerTargetIsReplacedWhole) {
    qevmodel::AddMesh(model, "a");
    const std::string target = folder.File("out.qev");
    ASSERT_TRUE(WriteFile(target, Bytes(1000, 0xAB)));

    EXPECT_EQ(ExportQevFile(&model, target.c_str()), 0);

    EXPECT_EQ(ToHex(ReadFile(target)), ToHex(FromHex(kEmptyMeshNamedA)));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"out.qev"});
}

// The temporary file is created exclusively: a file that already holds a
// candidate name (say, left by an interrupted run) is skipped, not reused.
TEST_F(ExportCommand, ForeignFilesBesideTheTargetAreNeverTouched) {
    qevmodel::AddMesh(model, "a");
    const std::string target = folder.File("out.qev");
    char firstTempName[64];
    snprintf(firstTempName, sizeof(firstTempName), "%s/.qev-%08x-00.tmp", folder.path().c_str(), unsigned(getpid()));
    const Bytes foreign = FromHex("DEADBEEF");
    ASSERT_TRUE(WriteFile(firstTempName, foreign));

    EXPECT_EQ(ExportQevFile(&model, target.c_str()), 0);

    EXPECT_EQ(ReadFile(firstTempName), foreign);
    EXPECT_EQ(ToHex(ReadFile(target)), ToHex(FromHex(kEmptyMeshNamedA)));
    EXPECT_EQ(folder.Names().size(), 2u);
}

TEST_F(ExportCommand, TargetThatIsAFolderFailsAndStaysAFolder) {
    qevmodel::AddMesh(model, "a");
    const std::string target = folder.File("taken");
    ASSERT_EQ(mkdir(target.c_str(), 0777), 0);

    EXPECT_EQ(ExportQevFile(&model, target.c_str()), -1);

    struct stat info;
    ASSERT_EQ(stat(target.c_str(), &info), 0);
    EXPECT_TRUE(S_ISDIR(info.st_mode));
    EXPECT_EQ(folder.Names(), std::vector<std::string>{"taken"});
    EXPECT_EQ(model.destroyCalls, 0);
}

TEST_F(ExportCommand, NullModelOrPathIsRefused) {
    qevmodel::AddMesh(model, "a");
    EXPECT_EQ(ExportQevFile(nullptr, folder.File("out.qev").c_str()), -1);
    EXPECT_EQ(ExportQevFile(&model, nullptr), -1);
    EXPECT_EQ(ExportQevFile(&model, ""), -1);
    EXPECT_TRUE(folder.Names().empty());
    EXPECT_EQ(model.destroyCalls, 0);
}

}  // namespace
