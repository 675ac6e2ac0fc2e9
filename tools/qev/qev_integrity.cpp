// Stand-in until qev check's own walk is shared: follows the layout's counts
// and says whether the file ends where they say it does.
#include "qev_integrity.h"

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

struct Walk {
    FILE* file;
    long long size;
    long long at = 0;
    bool Skip(long long bytes) {
        if (bytes < 0 || bytes > size - at) return false;
        at += bytes;
        return true;
    }
    bool I32(int32_t& value) {
        unsigned char b[4];
        if (size - at < 4 || fseek(file, long(at), SEEK_SET) != 0 || fread(b, 1, 4, file) != 4) return false;
        at += 4;
        value = int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
        return true;
    }
    bool U8(int32_t& value) {
        unsigned char b;
        if (size - at < 1 || fseek(file, long(at), SEEK_SET) != 0 || fread(&b, 1, 1, file) != 1) return false;
        at += 1;
        value = b;
        return true;
    }
};

const long long kTriangleBytes = 66;

std::string Damaged(const std::string& where, const Walk& walk) {
    return "damaged: the file ends inside " + where + " (" + std::to_string(walk.size) + " bytes)";
}

}  // namespace

bool CheckQevIntegrity(const std::string& path, QevIntegrity& integrity, std::string& error) {
    FILE* file = fopen(path.c_str(), "rb");
    if (!file) {
        error = path + ": cannot open: " + strerror(errno);
        return false;
    }
    fseek(file, 0, SEEK_END);
    Walk walk{file, ftell(file)};
    integrity = QevIntegrity();
    int32_t numMeshes = 0;
    if (!walk.I32(integrity.version) || !walk.I32(numMeshes)) {
        integrity.text = Damaged("the file header", walk);
        fclose(file);
        return true;
    }
    const int32_t version = integrity.version < 2 ? 1 : integrity.version > 4 ? 4 : integrity.version;
    const long long vertexBytes = version >= 2 ? 52 : 48;
    for (int32_t block = 0; block < numMeshes; ++block) {
        const std::string where = "mesh block " + std::to_string(block);
        int32_t count = 0, geostates = 0, nameLength = 0;
        bool ok = walk.I32(count) && walk.Skip(count > 0 ? count * vertexBytes : 0) && walk.I32(count) &&
                  walk.Skip(count > 0 ? count * kTriangleBytes : 0);
        if (ok && version >= 3) {
            ok = walk.I32(geostates);
            for (int32_t g = 0; ok && g < geostates; ++g)
                ok = walk.I32(count) && walk.Skip(count > 0 ? count * kTriangleBytes : 0);
        }
        if (ok && version >= 4) ok = walk.U8(nameLength) && walk.Skip(nameLength);
        if (!ok) {
            integrity.text = Damaged(where, walk);
            fclose(file);
            return true;
        }
    }
    int32_t numBones = 0;
    bool ok = walk.I32(numBones);
    for (int32_t bone = 0; ok && bone < numBones; ++bone) {
        int32_t nameLength = 0;
        ok = walk.U8(nameLength) && walk.Skip(nameLength) && walk.Skip(version >= 2 ? 24 : 0);
        if (!ok) integrity.text = Damaged("bone " + std::to_string(bone), walk);
    }
    if (!ok && integrity.text.empty()) integrity.text = Damaged("the bone count", walk);
    if (ok) {
        integrity.whole = true;
        integrity.text = "whole";
    }
    fclose(file);
    return true;
}
