// Hand-written QEV input for the importer tests.
//
// The builder spells out the file tables field by field on the tests' own
// little-endian encoding; it shares no code with the importer or the
// exporter, so a fault in either is not mirrored here.
#ifndef QEV_TEST_QEV_BYTES_H
#define QEV_TEST_QEV_BYTES_H

#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "byte_encoding.h"
#include "import_bytes.h"
#include "model.h"
#include "test_files.h"

namespace qevtest {

struct VertexFields {
    std::array<float, 3> position{0, 0, 0};
    int32_t vertexId = 0;
    int32_t tagVal = 0;  // written from version 2 on
    std::array<int32_t, 4> boneAssignments{-1, -1, -1, -1};
    std::array<float, 4> boneWeights{0, 0, 0, 1};
};

struct CornerFields {
    uint16_t vertexIndex = 0;
    std::array<float, 3> normal{0, 0, 1};
    std::array<float, 2> uvCoord{0, 0};
};

using TriangleFields = std::array<CornerFields, 3>;

struct BoneFields {
    std::string name;
    std::array<float, 3> position{0, 0, 0};
    std::array<float, 3> rotation{0, 0, 0};
};

using testsupport::FromHex;
using testsupport::ImportBytes;
using testsupport::TempFile;

// I32, U16, U8, F32 and Raw write single fields; the rest whole records.
class QevBytes : public testsupport::FieldWriter<QevBytes> {
public:
    explicit QevBytes(int32_t version) : version_(version) { I32(version); }

    QevBytes& Text(const std::string& s);  // strLen, then the bytes
    QevBytes& Vertex(const VertexFields& v);
    QevBytes& Triangle(const TriangleFields& t);
    QevBytes& Bone(const BoneFields& b);
    // Remembers the current offset under a name (for cutting the file there).
    QevBytes& Mark(const std::string& name);

    size_t At(const std::string& mark) const { return marks_.at(mark); }
    const std::vector<uint8_t>& Bytes() const { return bytes_; }

private:
    int32_t version_;
    std::map<std::string, size_t> marks_;
};

// Mesh names and counts, the first vertex's four bone references and the bone
// names, as one line for the table tests: "body 2v 1t [0 1 -1 5]; mesh1 0v 1t | bones a b".
std::string Summary(const msModel& model);

TriangleFields SimpleTriangle(uint16_t a, uint16_t b, uint16_t c);

}  // namespace qevtest

#endif
