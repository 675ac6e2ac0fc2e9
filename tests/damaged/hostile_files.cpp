#include "hostile_files.h"

#include <climits>
#include <string>

namespace damaged {
namespace {

const size_t kFileSize = kHostileFileSize;

// Repeats record until the file is kFileSize bytes long (the last copy cut).
Bytes FillWith(QevWriter head, const Bytes& record) {
    Bytes bytes = head.bytes();
    while (bytes.size() < kFileSize) bytes.insert(bytes.end(), record.begin(), record.end());
    bytes.resize(kFileSize);
    return bytes;
}

Bytes I32Bytes(int32_t v) { return QevWriter(v).bytes(); }

// A new mesh per 4 bytes: one block with two billion geostates of no triangles.
Bytes GeostateMeshes() { return FillWith(QevWriter(3).I32(1).I32(0).I32(0).I32(INT32_MAX), I32Bytes(0)); }

// A new mesh per 8 bytes: empty version-1 mesh blocks.
Bytes EmptyMeshBlocks() { return FillWith(QevWriter(1).I32(INT32_MAX), QevWriter(0).I32(0).bytes()); }

Bytes Vertices() {
    QevWriter vertex(2);
    vertex.BeginMesh(0).Vertex({1, 2, 3}, 1, 2, {0, 1, 2, 3}, {0.5f, 0.25f, 0.25f, 0});
    Bytes record(vertex.bytes().begin() + 8, vertex.bytes().end());
    return FillWith(QevWriter(2).I32(INT32_MAX).I32(INT32_MAX), record);
}

Bytes Triangles() {
    QevWriter triangle(1);
    triangle.BeginMesh(0).Triangles(1, 0);
    Bytes record(triangle.bytes().begin() + 12, triangle.bytes().end());
    return FillWith(QevWriter(1).I32(1).I32(0).I32(INT32_MAX), record);
}

// Version-1 bones with distinct names of one to three bytes, as many as fit.
Bytes DistinctBones() {
    QevWriter file(1);
    file.I32(0).I32(INT32_MAX);
    for (uint32_t n = 0; file.size() < kFileSize; ++n) {
        std::string name;
        for (uint32_t rest = n; name.empty() || rest > 0; rest /= 256) name += char(rest % 256);
        file.Bone(name, {});
    }
    Bytes bytes = file.bytes();
    bytes.resize(kFileSize);
    return bytes;
}

// A million one-byte bone records, all without a name: one bone is added and
// every later record finds it.
Bytes UnnamedBones() { return FillWith(QevWriter(1).I32(0).I32(INT32_MAX), Bytes{0}); }

}  // namespace

#if defined(__SANITIZE_ADDRESS__)
const bool kSanitizedBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
const bool kSanitizedBuild = true;
#else
const bool kSanitizedBuild = false;
#endif
#else
const bool kSanitizedBuild = false;
#endif

const HostileFile kHostileFiles[6] = {{"GeostateMeshes", GeostateMeshes}, {"EmptyMeshBlocks", EmptyMeshBlocks},
                                      {"Vertices", Vertices},             {"Triangles", Triangles},
                                      {"DistinctBones", DistinctBones},   {"UnnamedBones", UnnamedBones}};

}  // namespace damaged
