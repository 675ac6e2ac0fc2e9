// Shared by the damaged-file tests: a byte builder that records where every
// record of the file ends, importing bytes through a file, and a one-line
// picture of a model for table tests.
//
// The builder spells out the file's tables field by field on the tests' own
// little-endian encoding and shares no code with the importer or the exporter.
#ifndef QEV_DAMAGED_SUPPORT_H
#define QEV_DAMAGED_SUPPORT_H

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "byte_encoding.h"
#include "import_bytes.h"
#include "model.h"

namespace damaged {

using testsupport::Bytes;
using testsupport::ImportBytes;
using testsupport::PatchI32;

// Where the items a file announces end: an item exists after a cut at length
// L exactly when its end is at most L.
struct MeshLayout {
    size_t createdAt = 0;      // end of numVertices (block) or geostateFaceIndex (geostate)
    int32_t blockNumber = -1;  // the mesh block's number in the file; -1 for a geostate mesh
    int32_t numVertices = 0;   // 0 for a geostate mesh
    std::vector<size_t> vertexEnds;
    std::vector<std::array<int32_t, 4>> vertexBones;  // boneAssignments as written
    std::vector<size_t> triangleEnds;
    size_t nameEnd = 0;        // 0: no stored name (geostate, or before version 4)
};

struct FileLayout {
    std::vector<MeshLayout> meshes;  // in the order the import creates them
    std::vector<size_t> boneEnds;    // one per bone record
    std::vector<std::string> boneNames;
};

// I32, U16, U8, F32 and Raw write single fields, outside the layout.
class QevWriter : public testsupport::FieldWriter<QevWriter> {
public:
    explicit QevWriter(int32_t version) : version_(version) { I32(version); }

    // Whole records, entered in the layout as they are written.
    QevWriter& BeginMesh(int32_t numVertices);  // writes numVertices
    QevWriter& Vertex(std::array<float, 3> position, int32_t vertexId, int32_t tagVal,
                      std::array<int32_t, 4> bones, std::array<float, 4> weights);
    QevWriter& Triangles(int32_t count, uint16_t firstIndex);  // writes numTriangles too
    QevWriter& Geostate(int32_t numTriangles);                // geostateFaceIndex and triangles
    QevWriter& MeshName(const std::string& name);             // strLen and bytes
    QevWriter& Bone(const std::string& name, std::array<float, 6> pose);

    int32_t version() const { return version_; }
    const Bytes& bytes() const { return bytes_; }
    const FileLayout& layout() const { return layout_; }

private:
    QevWriter& Triangle(uint16_t firstIndex, std::vector<size_t>& ends);

    int32_t version_;
    FileLayout layout_;
    size_t block_ = 0;  // the current mesh block's entry in layout_.meshes
    int32_t blocks_ = 0;
};

// Meshes with quoted names and counts, the first vertex's four references,
// then the quoted bone names:
// "body" 1v 1t [0 0 0 0]; "mesh1" 0v 1t | "a" "b" "root"
std::string Summary(const msModel& model);

}  // namespace damaged

#endif
