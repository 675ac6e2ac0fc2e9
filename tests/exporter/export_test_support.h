// Shared by the exporter's tests: a scratch folder per test, file bytes,
// expected bytes written as hex, and builders for the stand-in model.
#ifndef QEV_EXPORT_TEST_SUPPORT_H
#define QEV_EXPORT_TEST_SUPPORT_H

#include <cstdint>

#include "byte_encoding.h"
#include "model.h"
#include "test_files.h"

namespace exporttest {

using testsupport::Bytes;
using testsupport::FileExists;
using testsupport::FromHex;
using testsupport::ReadFile;
using testsupport::ScratchFolder;
using testsupport::ToHex;
using testsupport::WriteFile;

// Builders for the stand-in model.
msVertex& AddVertex(msMesh& mesh, float x, float y, float z);
msTriangle& AddTriangle(msMesh& mesh, uint16_t a, uint16_t b, uint16_t c);
void SetWeights(msVertex& vertex, int32_t first, int32_t second, int32_t third);

}  // namespace exporttest

#endif
