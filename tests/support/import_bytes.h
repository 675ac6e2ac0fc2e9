// Imports hand-written bytes the way the host would: from a file on disk.
// Header-only, so that only the test programs that link the importer see it.
#ifndef QEV_TEST_IMPORT_BYTES_H
#define QEV_TEST_IMPORT_BYTES_H

#include "byte_encoding.h"
#include "import_command.h"
#include "model.h"
#include "test_files.h"

namespace testsupport {

// Writes the bytes to a file of their own and imports it into model; the result.
inline int ImportBytes(msModel& model, const Bytes& bytes) {
    TempFile file(bytes);
    return ImportQevFile(&model, file.Path());
}

}  // namespace testsupport

#endif
