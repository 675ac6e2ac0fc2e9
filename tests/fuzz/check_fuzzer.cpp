// libFuzzer entry for qev's check: every input goes through the observed
// import and both reports; a sanitizer report, a crash, a hang or a broken
// check ends the run with the input saved. A target of its own, so the
// importer's target keeps its speed and steers by the importer alone.
#include <cstdio>
#include <cstdlib>

#include "import_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string fault = qevfuzz::CheckPathAndCompare(data, size);
    if (!fault.empty()) {
        fprintf(stderr, "check path failed: %s\n", fault.c_str());
        abort();
    }
    return 0;
}
