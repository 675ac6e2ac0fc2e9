// Shared by the exporter's tests: a scratch folder per test, file bytes, and
// expected bytes written as hex.
#ifndef QEV_EXPORT_TEST_SUPPORT_H
#define QEV_EXPORT_TEST_SUPPORT_H

#include <string>
#include <vector>

#include "model.h"

namespace exporttest {

using Bytes = std::vector<unsigned char>;

// A fresh folder, removed with its contents when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    std::vector<std::string> Names() const;  // sorted

private:
    std::string path_;
};

// Hex digits, blanks and line breaks ignored: "04 00 00 00" -> {4, 0, 0, 0}.
Bytes FromHex(const std::string& hex);
std::string ToHex(const Bytes& bytes);

bool FileExists(const std::string& path);
Bytes ReadFile(const std::string& path);
void WriteFile(const std::string& path, const Bytes& bytes);

// Builders for the stand-in model.
msVertex& AddVertex(msMesh& mesh, float x, float y, float z);
msTriangle& AddTriangle(msMesh& mesh, uint16_t a, uint16_t b, uint16_t c);
void SetWeights(msVertex& vertex, int32_t first, int32_t second, int32_t third);

}  // namespace exporttest

#endif
