#include "dialog_script.h"

namespace {
template <typename Fn>
Fn Lookup(HMODULE module, const char* name) {
    return reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}
}  // namespace

bool DialogScript::Bind() {
    HMODULE module = GetModuleHandleA("comdlg32.dll");
    if (!module) return false;
    answer_ = Lookup<QevComdlg32ScriptAnswerFn>(module, QEV_COMDLG32_SCRIPT_ANSWER);
    reset_ = Lookup<QevComdlg32ResetFn>(module, QEV_COMDLG32_RESET);
    count_ = Lookup<QevComdlg32RecordCountFn>(module, QEV_COMDLG32_RECORD_COUNT);
    get_ = Lookup<QevComdlg32GetRecordFn>(module, QEV_COMDLG32_GET_RECORD);
    return answer_ && reset_ && count_ && get_;
}

std::vector<QevDialogRecord> DialogScript::Records() const {
    std::vector<QevDialogRecord> records(static_cast<size_t>(count_()));
    for (size_t i = 0; i < records.size(); ++i) get_(static_cast<int>(i), &records[i]);
    return records;
}
