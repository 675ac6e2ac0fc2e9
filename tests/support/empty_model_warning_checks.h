// The exporter's refusal of a model without meshes, as both the command and
// the loaded plug-in must show it: one warning box, the exact text, caption
// and style, and no owner window.
#ifndef QEV_TEST_EMPTY_MODEL_WARNING_CHECKS_H
#define QEV_TEST_EMPTY_MODEL_WARNING_CHECKS_H

#include <gtest/gtest.h>

#include "win32_standin.h"

// Wrap the call in ASSERT_NO_FATAL_FAILURE: without exactly one box recorded
// there is nothing further to check.
inline void ExpectEmptyModelWarningBox() {
    ASSERT_EQ(standin::RecordedMessageBoxes().size(), 1u);
    const standin::MessageBoxRecord& box = standin::RecordedMessageBoxes()[0];
    EXPECT_EQ(box.text, "The model is empty!  Nothing exported!");
    EXPECT_EQ(box.caption, "Text Export");
    EXPECT_EQ(box.style, 0x30u);
    EXPECT_FALSE(box.hasOwner);
}

#endif
