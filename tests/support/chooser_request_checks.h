// The file chooser's request as every build must hand it to the dialog: the
// same field-by-field expectations for the native stand-in's record and for the
// real 32-bit structure seen under Wine.
#ifndef QEV_TEST_CHOOSER_REQUEST_CHECKS_H
#define QEV_TEST_CHOOSER_REQUEST_CHECKS_H

#include <gtest/gtest.h>

#include <cstdint>

// Every field of the request but the title, the filter and the default
// extension, whose texts each build's record holds in its own form.
template <typename Request>
void ExpectChooserRequestFields(const Request& ofn, uint32_t structSize, uint32_t flags) {
    EXPECT_EQ(ofn.lStructSize, structSize);
    EXPECT_EQ(ofn.hwndOwner, nullptr);
    EXPECT_EQ(ofn.hInstance, nullptr);
    EXPECT_EQ(ofn.lpstrCustomFilter, nullptr);
    EXPECT_EQ(ofn.nMaxCustFilter, 0u);
    EXPECT_EQ(ofn.nFilterIndex, 0u);
    EXPECT_NE(ofn.lpstrFile, nullptr);
    EXPECT_EQ(ofn.nMaxFile, 256u);
    EXPECT_EQ(ofn.lpstrFileTitle, nullptr);
    EXPECT_EQ(ofn.nMaxFileTitle, 0u);
    EXPECT_EQ(ofn.lpstrInitialDir, nullptr);
    EXPECT_EQ(ofn.Flags, flags);
    EXPECT_EQ(ofn.nFileOffset, 0u);
    EXPECT_EQ(ofn.nFileExtension, 0u);
    EXPECT_EQ(ofn.lCustData, 0);
    EXPECT_EQ(ofn.lpfnHook, nullptr);
    EXPECT_EQ(ofn.lpTemplateName, nullptr);
    EXPECT_EQ(ofn.pvReserved, nullptr);
    EXPECT_EQ(ofn.dwReserved, 0u);
    EXPECT_EQ(ofn.FlagsEx, 0u);
}

// The filter list, pairs of display text and pattern closed by an empty string.
const char kChooserFilterBytes[] = "QEV Object (*.qev)\0*.qev\0All Files (*.*)\0*.*\0";

#endif
