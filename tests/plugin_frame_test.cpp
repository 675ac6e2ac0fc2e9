// The plug-in libraries as the host sees them: loaded at run time, the object
// made by CreatePlugIn, used through cMsPlugIn, released by DestroyPlugIn.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "chooser_request_checks.h"
#include "empty_model_warning_checks.h"
#include "model.h"
#include "msPlugIn.h"
#include "win32_standin.h"

namespace {

struct PlugInLibrary {
    explicit PlugInLibrary(const std::string& name) {
        const std::string path = std::string(QEV_BIN_DIR) + "/" + name + ".so";
        handle = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (!handle) return;
        create = reinterpret_cast<cMsPlugIn* (*)()>(dlsym(handle, "CreatePlugIn"));
        destroy = reinterpret_cast<void (*)(cMsPlugIn*)>(dlsym(handle, "DestroyPlugIn"));
    }
    ~PlugInLibrary() {
        if (handle) dlclose(handle);
    }
    void* handle = nullptr;
    cMsPlugIn* (*create)() = nullptr;
    void (*destroy)(cMsPlugIn*) = nullptr;
};

struct Expected {
    const char* library;
    int type;
    const char* dialogFunction;
    const char* title;
    uint32_t flags;
};

const Expected kPlugIns[] = {
    {"msQevImporter", 129, "GetOpenFileNameA", "Import QEV Object", 0x1804},
    {"msQevExporter", 130, "GetSaveFileNameA", "Export QEV Object", 0x806},
};

class PlugInFrame : public ::testing::TestWithParam<Expected> {
protected:
    void SetUp() override {
        standin::ResetWin32StandIn();
        ASSERT_NE(library.handle, nullptr) << dlerror();
        ASSERT_NE(library.create, nullptr);
        ASSERT_NE(library.destroy, nullptr);
        qevmodel::AddMesh(model, "body");  // the exporter asks for a file only for a model with meshes
    }
    PlugInLibrary library{GetParam().library};
    msModel model;
};

TEST_P(PlugInFrame, TypeAndTitleAreFixedAndTheTitlePointerIsStable) {
    cMsPlugIn* plugIn = library.create();
    ASSERT_NE(plugIn, nullptr);
    EXPECT_EQ(plugIn->GetType(), GetParam().type);
    EXPECT_EQ(plugIn->GetType(), GetParam().type);
    const char* title = plugIn->GetTitle();
    EXPECT_STREQ(title, "PELG Object");
    EXPECT_EQ(plugIn->GetTitle(), title);
    library.destroy(plugIn);
}

TEST_P(PlugInFrame, ObjectsAreIndependentAndNullIsIgnoredOnDestroy) {
    cMsPlugIn* first = library.create();
    cMsPlugIn* second = library.create();
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_NE(first, second);
    EXPECT_NE(first->GetTitle(), second->GetTitle());
    library.destroy(first);
    EXPECT_EQ(second->GetType(), GetParam().type);
    EXPECT_STREQ(second->GetTitle(), "PELG Object");
    library.destroy(second);
    library.destroy(nullptr);
}

TEST_P(PlugInFrame, NullModelIsRefusedBeforeAnyDialog) {
    cMsPlugIn* plugIn = library.create();
    standin::ScriptDialogAnswer("/nonexistent/should-not-be-asked.qev");
    EXPECT_EQ(plugIn->Execute(nullptr), -1);
    EXPECT_TRUE(standin::RecordedDialogs().empty());
    EXPECT_TRUE(standin::RecordedMessageBoxes().empty());
    library.destroy(plugIn);
}

TEST_P(PlugInFrame, CancelledChooserReturnsZeroAndLeavesTheModelAloneEveryRun) {
    cMsPlugIn* plugIn = library.create();
    const msModel before = model;
    standin::ScriptDialogCancel();
    EXPECT_EQ(plugIn->Execute(&model), 0);
    EXPECT_EQ(plugIn->Execute(&model), 0);
    EXPECT_EQ(standin::RecordedDialogs().size(), 2u);
    EXPECT_TRUE(qevmodel::SameContent(model, before));
    EXPECT_EQ(model.destroyCalls, 0);
    library.destroy(plugIn);
}

TEST_P(PlugInFrame, ChooserRequestIsSetUpFieldByField) {
    cMsPlugIn* plugIn = library.create();
    standin::ScriptDialogCancel();
    plugIn->Execute(&model);
    plugIn->Execute(&model);
    ASSERT_EQ(standin::RecordedDialogs().size(), 2u);
    for (const standin::DialogRecord& dialog : standin::RecordedDialogs()) {
        EXPECT_EQ(dialog.function, GetParam().dialogFunction);
        ExpectChooserRequestFields(dialog.request, sizeof(OPENFILENAMEA), GetParam().flags);
        EXPECT_EQ(dialog.title, GetParam().title);
        EXPECT_EQ(dialog.defaultExtension, "qev");
        EXPECT_EQ(dialog.initialFile, "");
        EXPECT_EQ(dialog.filterBytes,
                  std::vector<unsigned char>(kChooserFilterBytes, kChooserFilterBytes + sizeof(kChooserFilterBytes)));
        EXPECT_EQ(dialog.filter,
                  (std::vector<std::string>{"QEV Object (*.qev)", "*.qev", "All Files (*.*)", "*.*"}));
    }
    library.destroy(plugIn);
}

TEST_P(PlugInFrame, UnopenablePathFailsWithoutMessage) {
    cMsPlugIn* plugIn = library.create();
    standin::ScriptDialogAnswer("/nonexistent-folder-qev/model.qev");
    EXPECT_EQ(plugIn->Execute(&model), -1);
    EXPECT_TRUE(standin::RecordedMessageBoxes().empty());
    EXPECT_EQ(model.destroyCalls, 0);
    library.destroy(plugIn);
}

INSTANTIATE_TEST_SUITE_P(BothLibraries, PlugInFrame, ::testing::ValuesIn(kPlugIns),
                         [](const ::testing::TestParamInfo<Expected>& p) { return std::string(p.param.library); });

TEST(ExporterFrame, EmptyModelIsRefusedWithTheWarningBoxBeforeAnyDialog) {
    PlugInLibrary library("msQevExporter");
    ASSERT_NE(library.handle, nullptr) << dlerror();
    standin::ResetWin32StandIn();
    msModel model;
    qevmodel::AddBone(model, "root");  // bones alone do not count
    cMsPlugIn* plugIn = library.create();
    EXPECT_EQ(plugIn->Execute(&model), 0);
    EXPECT_TRUE(standin::RecordedDialogs().empty());
    ASSERT_NO_FATAL_FAILURE(ExpectEmptyModelWarningBox());
    EXPECT_EQ(model.destroyCalls, 0);
    library.destroy(plugIn);
}

}  // namespace
