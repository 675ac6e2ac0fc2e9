// What qev learns about one QEV file: read once with the importer's own code
// into the in-memory model, with an observer that sees every field and record
// as it is read whole. The facts are what `info` shows; the problems are what
// `check` reports. Nothing here is allocated from a count in the file: the
// lists grow with records actually read, so they stay within a small multiple
// of the file's size.
#ifndef QEV_TOOL_FILE_FACTS_H
#define QEV_TOOL_FILE_FACTS_H

#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <vector>

enum class Severity { kWarning, kError };

struct Problem {
    Severity severity;
    std::string code;     // stable, for scripts: "damaged", "corner_past_vertices", ...
    uint64_t offset;      // the byte the problem is at
    int32_t block;        // the mesh block it belongs to, or -1
    std::string message;  // for people, without the mesh block's prefix
};

struct GeostateFacts {
    int32_t announced;  // geostateFaceIndex
    int32_t triangles;  // read whole
};

struct MeshBlockFacts {
    int32_t number = 0;
    std::string name;  // as the host gets it: the stored name (cut), group_<n>, or ""
    bool nameStored = false;
    int32_t announcedVertices = 0;
    int32_t vertices = 0;
    int32_t announcedTriangles = 0;
    int32_t triangles = 0;
    int32_t announcedGeostates = 0;
    std::vector<GeostateFacts> geostates;
    uint64_t verticesStart = 0;  // offset of vertex 0
    int32_t hostMesh = -1;
};

struct BoneFacts {
    int32_t hostBone;    // the model's bone it was bound to: its name is the one the host sees
    int32_t sameNameAs;  // the first file bone bound to the same host bone, or -1
};

struct msModel;

struct FileFacts {
    std::shared_ptr<const msModel> model;  // what the importer made of the file
    std::string path;
    uint64_t size = 0;
    bool versionRead = false;
    int32_t version = 0;
    int32_t announcedMeshes = 0;
    int32_t announcedBones = 0;
    std::vector<MeshBlockFacts> blocks;  // every block begun, the last maybe cut
    std::vector<BoneFacts> bones;        // bones read whole
    bool whole = false;
    int32_t wholeBlocks = 0;             // mesh blocks read to their end

    // Problems in the order found, at most kKeptPerCode of each code; counts
    // cover every one found.
    std::vector<Problem> problems;
    std::map<std::string, uint64_t, std::less<>> leftOut;  // code -> problems found beyond those kept
    uint64_t errors = 0;
    uint64_t warnings = 0;
};

const size_t kKeptPerCode = 50;

// The version the importer reads the file as (1 to 4).
int32_t ReadsAsVersion(int32_t version);

// Reads the file at path. False, with a one-line reason, when it cannot be read at all.
bool ReadFileFacts(const std::string& path, FileFacts& facts, std::string& error);

// The name of file bone b as the host sees it.
const std::string& BoneName(const FileFacts& facts, size_t b);

// "mesh block 2 ("body"): " or "mesh block 2: " for problems of a block, else "".
std::string BlockPrefix(const FileFacts& facts, int32_t block);

// A name's bytes as text for people: Latin-1 as UTF-8, control bytes as \xNN, in quotes.
std::string QuotedName(const std::string& bytes);

#endif
