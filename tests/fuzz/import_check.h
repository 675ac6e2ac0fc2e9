// One import of untrusted bytes, as the fuzzer and the corpus test run it, and
// the checks that hold for every input whatever it holds.
#ifndef QEV_FUZZ_IMPORT_CHECK_H
#define QEV_FUZZ_IMPORT_CHECK_H

#include <cstddef>
#include <cstdint>
#include <string>

namespace qevfuzz {

enum class StartModel {
    kEmpty,
    kWithContent,  // meshes and bones, some of them named as files name theirs
    kByHash,       // one of the two by a hash of the bytes, so both are fuzzed alike
};

// Imports the bytes into the start model under the model library's strict
// rules (a null handle or an index out of range aborts the process), for half
// the inputs with one host call refused (chosen by a hash of the bytes), and
// checks the result, that what was there before is untouched and that nothing
// was built from bytes the input does not hold. Returns what went wrong, or "".
std::string ImportAndCheck(const uint8_t* data, size_t size, StartModel start);

// Runs qev's check on the bytes (the import with its observer, and both
// reports) and checks that the observed import built exactly the model a
// plain import builds, and that every fact stays within the input. Returns
// what went wrong, or "".
std::string CheckPathAndCompare(const uint8_t* data, size_t size);

// The input in a file of its own, overwritten by the next call; nullptr when
// the bytes cannot be put in place.
const char* HoldInput(const uint8_t* data, size_t size);

}  // namespace qevfuzz

#endif
