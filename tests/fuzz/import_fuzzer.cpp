// libFuzzer entry: every input is imported; a sanitizer report, a crash, a hang
// or a broken check ends the run with the input saved.
#include <cstdio>
#include <cstdlib>

#include "import_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = qevfuzz::ImportAndCheck(data, size, qevfuzz::StartModel::kByHash);
    if (!fault.empty()) {
        fprintf(stderr, "import check failed: %s\n", fault.c_str());
        abort();
    }
    return 0;
}
