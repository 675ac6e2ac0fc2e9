// Hand-written QEV files for the qev tool's tests, field by field from the
// format's tables on the tests' own encoding, and a way to run qev on them.
#ifndef QEV_TESTS_QEV_FILE_BYTES_H
#define QEV_TESTS_QEV_FILE_BYTES_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "byte_encoding.h"
#include "program_run.h"

class QevFileBytes : public testsupport::FieldWriter<QevFileBytes> {
public:
    const testsupport::Bytes& bytes() const { return bytes_; }

    // A version 2 to 4 vertex: position and ids zero, then the four references and weights.
    QevFileBytes& Vertex(std::array<int32_t, 4> bones, std::array<float, 4> weights);
    // The three corners' vertex indices; normals and uvs zero.
    QevFileBytes& Triangle(uint16_t a, uint16_t b, uint16_t c);
    QevFileBytes& Name(const std::string& bytes);  // strLen, then the bytes
    QevFileBytes& Bone(const std::string& name);   // version 2 on: name and a zero pose
};

// The stored fixtures' source: a version-4 file of one mesh block "body" (one
// vertex, one triangle, one geostate of one triangle) and one bone "root".
testsupport::Bytes WholeFixtureFile();

// Runs `qev` with args; files named "@N" stand for a temporary file of files[N].
struct QevRun : testsupport::ProgramRun {
    std::vector<std::string> paths;  // the temporary files' paths
};
QevRun RunQev(const std::vector<std::string>& args, const std::vector<testsupport::Bytes>& files = {});

#endif
