// What the glTF tests share: models with every kind of value the exporter
// writes, QEV bytes of a model, hand-written glTF, and keeping the glTF the
// tests write for the validator.
#ifndef QEV_GLTF_TEST_SUPPORT_H
#define QEV_GLTF_TEST_SUPPORT_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "byte_encoding.h"
#include "model.h"

namespace gltftest {

using testsupport::Bytes;

// Several meshes (unbound vertices, weights 0..100, extras with the high bit
// set, a 255-byte name, non-unit and zero normals, non-finite values, a corner
// naming no vertex, empty meshes) and boneCount bones with 99-byte names.
msModel RichModel(int boneCount);

// The file the exporter writes for model, and the model the importer makes of bytes.
Bytes ExportBytes(const msModel& model);
msModel ImportModel(const Bytes& bytes);

// Runs build/native/bin/qev with args; its exit status, its standard error in *errors.
int RunQev(const std::vector<std::string>& args, std::string* errors = nullptr);

// When QEV_GLTF_KEEP_DIR is set, a copy of every glTF a test writes goes there
// under name, for the validator.
void KeepForValidator(const std::string& name, const std::vector<unsigned char>& bytes);

// glTF by hand: JSON built in the test, one buffer that accessors append to.
class HandGltf {
public:
    HandGltf();
    nlohmann::json json;

    int Floats(const std::vector<float>& values, const char* type);
    int Unsigned(const std::vector<uint32_t>& values, const char* type, int componentType);
    // A node with a mesh of one primitive; returns the node index.
    int MeshNode(const std::string& name, const nlohmann::json& primitive);

    // The .gltf text with the buffer as a base64 data URI, and the .glb.
    std::vector<unsigned char> Text() const;
    std::vector<unsigned char> Glb() const;

private:
    int Add(const Bytes& bytes, size_t count, const char* type, int componentType);
    Bytes buffer_;
};

// The JSON chunk of a .glb, parsed.
nlohmann::json GlbJson(const std::vector<unsigned char>& glb);
// The .glb with its JSON chunk replaced by json, the BIN chunk kept.
std::vector<unsigned char> GlbWithJson(const std::vector<unsigned char>& glb, const nlohmann::json& json);
// The bytes of an accessor of the .glb (tightly packed views as qev writes them).
Bytes GlbAccessorBytes(const std::vector<unsigned char>& glb, int accessor);

}  // namespace gltftest

#endif
