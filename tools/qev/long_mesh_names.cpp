#include "long_mesh_names.h"

#include <cstdio>
#include <cstring>
#include <memory>

#include "qev_format.h"

namespace {

struct FileCloser {
    void operator()(FILE* f) const { fclose(f); }
};

bool ReadI32(FILE* file, int32_t& value) {
    unsigned char bytes[4];
    if (fread(bytes, 1, 4, file) != 4) return false;
    value = qev::GetI32(bytes);
    return true;
}

bool Skip(FILE* file, int64_t records, size_t size) {
    return records <= 0 || fseeko(file, (off_t)(records * (int64_t)size), SEEK_CUR) == 0;
}

}  // namespace

void RestoreLongMeshNames(const std::string& path, msModel& model) {
    std::unique_ptr<FILE, FileCloser> file(fopen(path.c_str(), "rb"));
    if (!file) return;
    int32_t version = 0, blocks = 0;
    if (!ReadI32(file.get(), version) || !ReadI32(file.get(), blocks) || !qev::HasMeshName(version)) return;
    size_t mesh = 0;  // the block's mesh in the model; its geostate meshes follow it
    for (int32_t b = 0; b < blocks && mesh < model.meshes.size(); ++b) {
        int32_t vertices = 0, triangles = 0, geostates = 0;
        if (!ReadI32(file.get(), vertices) || !Skip(file.get(), vertices, qev::kVertexRecordSize)) return;
        if (!ReadI32(file.get(), triangles) || !Skip(file.get(), triangles, qev::kTriangleRecordSize)) return;
        if (!ReadI32(file.get(), geostates)) return;
        for (int32_t g = 0; g < geostates; ++g) {
            int32_t faces = 0;
            if (!ReadI32(file.get(), faces) || !Skip(file.get(), faces, qev::kTriangleRecordSize)) return;
        }
        const int length = fgetc(file.get());
        if (length == EOF) return;
        char stored[qev::kMaxStoredName + 1] = {};
        if (fread(stored, 1, (size_t)length, file.get()) != (size_t)length) return;
        const std::string whole(stored, strnlen(stored, (size_t)length));
        std::string& name = model.meshes[mesh].name;
        if (whole.size() > name.size() && whole.compare(0, name.size(), name) == 0) name = whole;
        mesh += 1 + (geostates > 0 ? (size_t)geostates : 0);
    }
}
