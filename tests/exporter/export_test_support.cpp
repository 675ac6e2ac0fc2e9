#include "export_test_support.h"

#include <dirent.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <stdexcept>

namespace exporttest {

ScratchFolder::ScratchFolder() {
    const char* base = getenv("TMPDIR");
    std::string pattern = std::string(base && *base ? base : "/tmp") + "/qev-export-XXXXXX";
    if (!mkdtemp(&pattern[0])) throw std::runtime_error("cannot create a scratch folder");
    path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    for (const std::string& name : Names()) remove(File(name).c_str());
    rmdir(path_.c_str());
}

std::vector<std::string> ScratchFolder::Names() const {
    std::vector<std::string> names;
    if (DIR* dir = opendir(path_.c_str())) {
        while (dirent* entry = readdir(dir)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") names.push_back(name);
        }
        closedir(dir);
    }
    std::sort(names.begin(), names.end());
    return names;
}

Bytes FromHex(const std::string& hex) {
    Bytes bytes;
    std::string digits;
    for (char c : hex) {
        if (std::isspace(static_cast<unsigned char>(c))) continue;
        if (!std::isxdigit(static_cast<unsigned char>(c))) throw std::invalid_argument("not a hex digit");
        digits += c;
    }
    if (digits.size() % 2) throw std::invalid_argument("odd number of hex digits");
    for (size_t i = 0; i < digits.size(); i += 2)
        bytes.push_back(static_cast<unsigned char>(std::stoul(digits.substr(i, 2), nullptr, 16)));
    return bytes;
}

std::string ToHex(const Bytes& bytes) {
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (i) text += (i % 16 == 0) ? '\n' : ' ';
        text += kDigits[bytes[i] >> 4];
        text += kDigits[bytes[i] & 15];
    }
    return text;
}

bool FileExists(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0;
}

Bytes ReadFile(const std::string& path) {
    Bytes bytes;
    if (FILE* file = fopen(path.c_str(), "rb")) {
        unsigned char chunk[4096];
        size_t got;
        while ((got = fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
        fclose(file);
    }
    return bytes;
}

void WriteFile(const std::string& path, const Bytes& bytes) {
    FILE* file = fopen(path.c_str(), "wb");
    if (!file) throw std::runtime_error("cannot write " + path);
    fwrite(bytes.data(), 1, bytes.size(), file);
    fclose(file);
}

msVertex& AddVertex(msMesh& mesh, float x, float y, float z) {
    msVertex& vertex = mesh.vertices.emplace_back();
    vertex.position[0] = x;
    vertex.position[1] = y;
    vertex.position[2] = z;
    return vertex;
}

msTriangle& AddTriangle(msMesh& mesh, uint16_t a, uint16_t b, uint16_t c) {
    msTriangle& triangle = mesh.triangles.emplace_back();
    triangle.vertexIndices[0] = a;
    triangle.vertexIndices[1] = b;
    triangle.vertexIndices[2] = c;
    return triangle;
}

void SetWeights(msVertex& vertex, int32_t first, int32_t second, int32_t third) {
    vertex.ex.boneWeights[0] = first;
    vertex.ex.boneWeights[1] = second;
    vertex.ex.boneWeights[2] = third;
}

}  // namespace exporttest
