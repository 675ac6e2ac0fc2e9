// The test program's handle on the comdlg32.dll stand-in: the module the
// plug-ins imported their dialogs from, and its scripting exports.
#ifndef QEV_WINDOWS_DIALOG_SCRIPT_H
#define QEV_WINDOWS_DIALOG_SCRIPT_H

#include <vector>

#include "comdlg32_standin.h"

class DialogScript {
public:
    // Binds to the comdlg32.dll loaded in the process; false when it is not
    // the stand-in (Wine's own was loaded) or none is loaded.
    bool Bind();
    void Answer(const char* path) const { answer_(path); }
    void Cancel() const { answer_(nullptr); }
    void Reset() const { reset_(); }
    std::vector<QevDialogRecord> Records() const;

private:
    QevComdlg32ScriptAnswerFn answer_ = nullptr;
    QevComdlg32ResetFn reset_ = nullptr;
    QevComdlg32RecordCountFn count_ = nullptr;
    QevComdlg32GetRecordFn get_ = nullptr;
};

#endif
