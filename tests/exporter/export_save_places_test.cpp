// Where the export saves, tried as a user without root rights: every kind of
// path a plain write could open, and those it must refuse. Each case runs in
// a forked child that drops to an ordinary user (CI runs the tests as root),
// sets its files up and exports a one-mesh model; the parent then checks the
// result, the destroy calls, the bytes and mode of the file, a link still
// being a link, and that no stray file is left in either folder.
#include <gtest/gtest.h>
#include <grp.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <sstream>
#include <string>
#include <vector>

#include "child_process.h"
#include "export_command.h"
#include "export_test_support.h"
#include "unprivileged_user.h"

namespace {

using namespace exporttest;
using testsupport::DropToUnprivilegedUser;
using testsupport::HandToUnprivilegedUser;
using testsupport::RunInChild;
using testsupport::RunningAsRoot;

// One empty mesh named "a" and no bones, from the format's tables.
const char kNewBytes[] = "04000000 01000000 00000000 00000000 00000000 01 61 00000000";
const char kOldBytes[] = "0102030405060708090A";

enum class Place {
    kNewName,                // nothing of that name yet
    kExistingFile,           // a regular file of the case's mode
    kFileOfSecondGroup,      // owned by a second group of the user
    kFileOfOtherOwner,       // saved by root; the file belongs to the ordinary user
    kLinkToFileElsewhere,    // a relative link to a file in another folder
    kDanglingLink,           // a relative link to a missing name in another folder
    kFolderTakesNoNewFiles,  // a writable file in a folder of mode 0555
    kNewNameInClosedFolder,  // no file yet, in a folder of mode 0555
    kFolder,
    kFifo,
    kDevice,  // /dev/null
};

struct SaveCase {
    const char* label;
    Place place;
    mode_t mode;  // of the existing file, or the one a new file gets (umask 022)
    int result;   // 0: saved, -1: refused
    size_t nameLength = 7;
    bool asRoot = false;  // saved by root rather than by the ordinary user
};

void PrintTo(const SaveCase& row, std::ostream* out) { *out << row.label; }

enum ChildCode { kRan = 0, kSkipped = 77, kSetUpFailed = 78 };

bool IsLink(Place place) { return place == Place::kLinkToFileElsewhere || place == Place::kDanglingLink; }
bool TargetExistsBefore(Place place) {
    return place != Place::kNewName && place != Place::kNewNameInClosedFolder && place != Place::kDanglingLink &&
           place != Place::kDevice;
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

// A group of the process other than its own, or none.
gid_t SecondGroup() {
    gid_t groups[64];
    const int count = getgroups(64, groups);
    for (int i = 0; i < count; ++i) {
        if (groups[i] != getegid()) return groups[i];
    }
    return gid_t(-1);
}

mode_t ModeOf(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : mode_t(-1);
}

class ExportSavePlace : public ::testing::TestWithParam<SaveCase> {
protected:
    // Runs in the child: sets up, exports, writes "result destroyCalls group".
    int SaveAs(const SaveCase& row, std::string* report) {
        if (!row.asRoot && !DropToUnprivilegedUser()) return kSkipped;
        umask(022);
        alarm(60);  // a save that blocks (on a FIFO) ends the child, not the test program
        gid_t group = getegid();
        switch (row.place) {
        case Place::kLinkToFileElsewhere:
        case Place::kDanglingLink:
            if (symlink(linkText.c_str(), target.c_str()) != 0) return kSetUpFailed;
            break;
        case Place::kFolder:
            if (mkdir(target.c_str(), 0755) != 0) return kSetUpFailed;
            break;
        case Place::kFifo:
            if (mkfifo(target.c_str(), 0644) != 0) return kSetUpFailed;
            break;
        default:
            break;
        }
        if (TargetExistsBefore(row.place) && row.place != Place::kFolder && row.place != Place::kFifo) {
            if (!WriteFile(saved, FromHex(kOldBytes)) || chmod(saved.c_str(), row.mode) != 0) return kSetUpFailed;
        }
        if (row.place == Place::kFileOfSecondGroup) {
            group = SecondGroup();
            if (group == gid_t(-1)) return kSkipped;
            if (chown(saved.c_str(), uid_t(-1), group) != 0) return kSetUpFailed;
        }
        if (row.place == Place::kFileOfOtherOwner &&
            chown(saved.c_str(), testsupport::kUnprivilegedUid, testsupport::kUnprivilegedGid) != 0)
            return kSetUpFailed;
        if ((row.place == Place::kFolderTakesNoNewFiles || row.place == Place::kNewNameInClosedFolder) &&
            chmod(folder.path().c_str(), 0555) != 0)
            return kSetUpFailed;

        msModel model;
        qevmodel::AddMesh(model, "a");
        const int result = ExportQevFile(&model, target.c_str());
        *report = std::to_string(result) + " " + std::to_string(model.destroyCalls) + " " + std::to_string(group);
        return kRan;
    }
    ScratchFolder folder;     // holds the target
    ScratchFolder elsewhere;  // holds the file a link points to
    std::string target;       // the path exported to
    std::string saved;        // the file that gets the bytes
    std::string linkText;
};

TEST_P(ExportSavePlace, KeepsWhatAPlainWriteWouldKeep) {
    const SaveCase& row = GetParam();
    if (row.asRoot && !RunningAsRoot()) GTEST_SKIP() << "only root may save over another user's file";
    ASSERT_TRUE(HandToUnprivilegedUser(folder.path().c_str()));
    ASSERT_TRUE(HandToUnprivilegedUser(elsewhere.path().c_str()));
    const std::string name = std::string(row.nameLength - 4, 'n') + ".qev";
    target = row.place == Place::kDevice ? "/dev/null" : folder.File(name);
    saved = IsLink(row.place) ? elsewhere.File("real.qev") : target;
    linkText = "../" + NameOf(elsewhere.path()) + "/real.qev";

    std::string report;
    const int code = RunInChild([&](std::string* out) { return SaveAs(row, out); }, &report);
    chmod(folder.path().c_str(), 0755);  // the scratch folder must be emptied again
    if (code == kSkipped) GTEST_SKIP() << "no ordinary user or second group to save as";
    ASSERT_EQ(code, kRan) << "78: the case could not be set up, -1: the child died (blocked?)";

    std::istringstream fields(report);
    int result = 99, destroyCalls = 99;
    gid_t group = 0;
    fields >> result >> destroyCalls >> group;
    EXPECT_EQ(result, row.result);
    EXPECT_EQ(destroyCalls, row.result == 0 ? 1 : 0);

    const bool nothingNamed = row.place == Place::kDevice || row.place == Place::kNewNameInClosedFolder;
    EXPECT_EQ(folder.Names(), nothingNamed ? std::vector<std::string>{} : std::vector<std::string>{name});
    if (IsLink(row.place)) {
        EXPECT_EQ(elsewhere.Names(), std::vector<std::string>{"real.qev"});
        char text[512] = {};
        EXPECT_EQ(readlink(target.c_str(), text, sizeof(text) - 1), ssize_t(linkText.size()));
        EXPECT_EQ(text, linkText) << "the link must stay a link to the same place";
    } else {
        EXPECT_TRUE(elsewhere.Names().empty());
    }

    struct stat info = {};
    switch (row.place) {
    case Place::kFolder:
        EXPECT_TRUE(stat(target.c_str(), &info) == 0 && S_ISDIR(info.st_mode));
        return;
    case Place::kFifo:
        EXPECT_TRUE(lstat(target.c_str(), &info) == 0 && S_ISFIFO(info.st_mode));
        return;
    case Place::kDevice:
        EXPECT_TRUE(stat(target.c_str(), &info) == 0 && S_ISCHR(info.st_mode));
        return;
    case Place::kNewNameInClosedFolder:
        return;
    default:
        break;
    }
    EXPECT_EQ(ToHex(ReadFile(saved)), ToHex(FromHex(row.result == 0 ? kNewBytes : kOldBytes)));
    EXPECT_EQ(ModeOf(saved), row.mode) << std::oct << "mode 0" << ModeOf(saved);
    ASSERT_EQ(stat(saved.c_str(), &info), 0);
    if (row.place == Place::kFileOfSecondGroup) {
        EXPECT_EQ(info.st_gid, group);
    }
    if (row.place == Place::kFileOfOtherOwner) {
        EXPECT_EQ(info.st_uid, testsupport::kUnprivilegedUid);
    }
}

INSTANTIATE_TEST_SUITE_P(
    Places, ExportSavePlace,
    ::testing::Values(SaveCase{"NewName", Place::kNewName, 0644, 0},
                      SaveCase{"ReadOnlyFile", Place::kExistingFile, 0444, -1},
                      SaveCase{"PrivateFile", Place::kExistingFile, 0600, 0},
                      SaveCase{"ExecutableFile", Place::kExistingFile, 0750, 0},
                      SaveCase{"FileOfSecondGroup", Place::kFileOfSecondGroup, 0640, 0},
                      SaveCase{"FileOfOtherOwnerSavedByRoot", Place::kFileOfOtherOwner, 0604, 0, 7, true},
                      SaveCase{"LinkToFileElsewhere", Place::kLinkToFileElsewhere, 0640, 0},
                      SaveCase{"DanglingLink", Place::kDanglingLink, 0644, 0},
                      SaveCase{"Name248Bytes", Place::kExistingFile, 0644, 0, 248},
                      SaveCase{"Name255Bytes", Place::kExistingFile, 0644, 0, 255},
                      SaveCase{"FolderTakesNoNewFiles", Place::kFolderTakesNoNewFiles, 0644, 0},
                      SaveCase{"NewNameInClosedFolder", Place::kNewNameInClosedFolder, 0644, -1},
                      SaveCase{"Folder", Place::kFolder, 0755, -1},
                      SaveCase{"Fifo", Place::kFifo, 0644, -1},
                      SaveCase{"Device", Place::kDevice, 0666, -1}),
    [](const ::testing::TestParamInfo<SaveCase>& param) { return std::string(param.param.label); });

}  // namespace
