#include "model_to_gltf.h"

#include <sstream>

#include <nlohmann/json.hpp>

#include "gltf_document.h"

namespace {

void PutU32(std::ostream& stream, uint32_t value) {
    const char bytes[4] = {(char)(value & 0xFF), (char)((value >> 8) & 0xFF), (char)((value >> 16) & 0xFF),
                           (char)(value >> 24)};
    stream.write(bytes, 4);
}

// The glb container around tinygltf's JSON. tinygltf's own glb writer copies
// the whole buffer once more before writing it, which on a large model costs
// as much memory again as the buffer itself; here the buffer goes out as it is.
bool WriteGlb(tinygltf::Model& document, std::ostream& stream, std::string& error) {
    std::vector<unsigned char> data;
    if (!document.buffers.empty()) {
        data.swap(document.buffers[0].data);
        document.buffers[0].uri = "bin";  // serialised as a reference, with no bytes; replaced below
    }
    std::ostringstream jsonStream;
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&document, jsonStream, false, false)) {
        error = "the glTF could not be serialised";
        return false;
    }
    nlohmann::json json = nlohmann::json::parse(jsonStream.str(), nullptr, false);
    if (json.is_discarded()) {
        error = "the glTF could not be serialised";
        return false;
    }
    if (!document.buffers.empty()) json["buffers"][0] = {{"byteLength", data.size()}};
    std::string text = json.dump();
    while (text.size() % 4) text.push_back(' ');
    const size_t binPadding = (4 - data.size() % 4) % 4;
    const uint64_t total = 12 + 8 + text.size() + (data.empty() ? 0 : 8 + data.size() + binPadding);
    if (total > 0xFFFFFFFFu) {
        error = "the model is too large for a .glb";
        return false;
    }
    stream.write("glTF", 4);
    PutU32(stream, 2);
    PutU32(stream, (uint32_t)total);
    PutU32(stream, (uint32_t)text.size());
    stream.write("JSON", 4);
    stream.write(text.data(), (std::streamsize)text.size());
    if (!data.empty()) {
        PutU32(stream, (uint32_t)(data.size() + binPadding));
        stream.write("BIN\0", 4);
        stream.write(reinterpret_cast<const char*>(data.data()), (std::streamsize)data.size());
        stream.write("\0\0\0", (std::streamsize)binPadding);
    }
    if (!stream) {
        error = "the glTF could not be written";
        return false;
    }
    return true;
}

bool SerialiseTo(const msModel& model, const GltfOptions& options, bool binary, std::ostream& stream,
                 std::string& error) {
    tinygltf::Model document;
    gltfqev::BuildGltfDocument(model, options, document);
    if (binary) return WriteGlb(document, stream, error);
    // glb chunk lengths are 32-bit: a buffer near 4 GiB cannot be written.
    if (!document.buffers.empty() && document.buffers[0].data.size() > 0xF0000000u) {
        error = "the model is too large for one glTF buffer";
        return false;
    }
    tinygltf::TinyGLTF writer;
    if (!writer.WriteGltfSceneToStream(&document, stream, true, false) || !stream) {
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
