// The host calls a piece of work makes, as the model library counts them:
// adds, fetches and counts of every kind. A measure of an import's work that,
// unlike time, does not depend on the machine's load or on sanitizers: an
// import that runs on past the end of its file, or re-walks the model, shows
// here as calls no file of its size can explain.
// Header-only, for the test programs that link the model library.
#ifndef QEV_TEST_HOST_CALL_COUNT_H
#define QEV_TEST_HOST_CALL_COUNT_H

#include <cstdint>

#include "model.h"

namespace testsupport {

template <typename Work>
int64_t HostCallsOf(Work&& work) {
    qevmodel::ScopedHostRules counting(qevmodel::CurrentHostRules());
    work();
    int64_t calls = 0;
    for (int kind = 0; kind < qevmodel::kHostCallKinds; ++kind)
        calls += qevmodel::HostCallsMade(static_cast<qevmodel::HostCall>(kind));
    return calls;
}

}  // namespace testsupport

#endif
