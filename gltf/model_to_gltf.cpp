#include "model_to_gltf.h"

#include <sstream>

#include "gltf_document.h"

namespace {

bool SerialiseTo(const msModel& model, const GltfOptions& options, bool binary, std::ostream& stream,
                 std::string& error) {
    tinygltf::Model document;
    gltfqev::BuildGltfDocument(model, options, document);
    // glb chunk lengths are 32-bit: a buffer near 4 GiB cannot be written.
    if (!document.buffers.empty() && document.buffers[0].data.size() > 0xF0000000u) {
        error = "the model is too large for one glTF buffer";
        return false;
    }
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&document, stream, !binary, binary) || !stream) {
        error = "the glTF could not be serialised";
        return false;
    }
    return true;
}

bool Serialise(const msModel& model, const GltfOptions& options, bool binary, std::string& bytes,
               std::string& error) {
    std::ostringstream stream;
    if (!SerialiseTo(model, options, binary, stream, error)) return false;
    bytes = stream.str();
    return true;
}

}  // namespace

bool ModelToGlb(const msModel& model, const GltfOptions& options, std::vector<unsigned char>& glb,
                std::string& error) {
    std::string bytes;
    if (!Serialise(model, options, true, bytes, error)) return false;
    glb.assign(bytes.begin(), bytes.end());
    return true;
}

bool ModelToGltfText(const msModel& model, const GltfOptions& options, std::string& gltf, std::string& error) {
    return Serialise(model, options, false, gltf, error);
}

bool WriteModelAsGltf(const msModel& model, const GltfOptions& options, bool binary, std::ostream& out,
                      std::string& error) {
    return SerialiseTo(model, options, binary, out, error);
}
