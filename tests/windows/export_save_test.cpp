// The exporter DLL saving over an existing file: a read-only file is refused
// and keeps its bytes; a writable one is replaced whole, also when its path is
// only a few bytes short of MAX_PATH. Either way the folder holds nothing but
// the file afterwards.
#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

#include "dialog_script.h"
#include "host_calls.h"
#include "model.h"
#include "scenario.h"

namespace {

// One empty mesh named "a" and no bones, from the format's tables.
const std::vector<unsigned char> kNewBytes = {0x04, 0, 0, 0, 0x01, 0, 0, 0, 0, 0, 0, 0, 0, 0,
                                              0,    0, 0, 0, 0,    0, 1, 'a', 0, 0, 0, 0};
const std::vector<unsigned char> kOldBytes = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10};

std::vector<std::string> NamesIn(const std::string& folder) {
    std::vector<std::string> names;
    WIN32_FIND_DATAA entry;
    const HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
        const std::string name = entry.cFileName;
        if (name != "." && name != "..") names.push_back(name);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return names;
}

struct SaveCase {
    const char* label;
    DWORD attributes;  // of the existing file
    int result;
    bool pathNearMaxPath;
};

void PrintTo(const SaveCase& row, std::ostream* out) { *out << row.label; }

class ExportSaveUnderHost : public ::testing::TestWithParam<SaveCase> {};

TEST_P(ExportSaveUnderHost, ReplacesOnlyWhatAPlainWriteWould) {
    const SaveCase& row = GetParam();
    const std::string folder = host::ProgramFolder() + "\\..\\windows-save-" + row.label;
    ASSERT_LT(folder.size(), 200u);
    const size_t nameLength = row.pathNearMaxPath ? MAX_PATH - 6 - folder.size() - 1 : 7;
    const std::string name = std::string(nameLength - 4, 'n') + ".qev";
    const std::string target = folder + "\\" + name;
    CreateDirectoryA(folder.c_str(), nullptr);
    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(target.c_str());
    ASSERT_TRUE(scenario::WriteBytes(target, kOldBytes));
    ASSERT_TRUE(SetFileAttributesA(target.c_str(), row.attributes));

    host::PlugInLibrary exporter("msQevExporter.dll");
    ASSERT_NE(exporter.module, nullptr) << GetLastError();
    DialogScript dialogs;
    ASSERT_TRUE(dialogs.Bind());
    dialogs.Reset();
    void* plugIn = exporter.create();
    ASSERT_NE(plugIn, nullptr);
    msModel model;
    msMesh_SetName(msModel_GetMeshAt(&model, msModel_AddMesh(&model)), "a");
    dialogs.Answer(target.c_str());

    EXPECT_EQ(host::Execute(plugIn, &model), row.result);
    exporter.destroy(plugIn);

    EXPECT_EQ(model.destroyCalls, row.result == 0 ? 1 : 0);
    std::vector<unsigned char> bytes;
    EXPECT_TRUE(scenario::ReadBytes(target, bytes));
    EXPECT_EQ(bytes, row.result == 0 ? kNewBytes : kOldBytes);
    EXPECT_EQ(GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_READONLY, row.attributes & FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(NamesIn(folder), std::vector<std::string>{name});

    SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_NORMAL);
    DeleteFileA(target.c_str());
    RemoveDirectoryA(folder.c_str());
}

INSTANTIATE_TEST_SUITE_P(Files, ExportSaveUnderHost,
                         ::testing::Values(SaveCase{"ReadOnlyFile", FILE_ATTRIBUTE_READONLY, -1, false},
                                           SaveCase{"WritableFile", FILE_ATTRIBUTE_NORMAL, 0, false},
                                           SaveCase{"PathNearMaxPath", FILE_ATTRIBUTE_NORMAL, 0, true}),
                         [](const ::testing::TestParamInfo<SaveCase>& param) {
                             return std::string(param.param.label);
                         });

}  // namespace
