#include "glb_container.h"

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>

#include "base64_text.h"

namespace {

const uint32_t kMagic = 0x46546C67;      // "glTF"
const uint32_t kJsonChunk = 0x4E4F534A;  // "JSON"
const uint32_t kBinChunk = 0x004E4942;   // "BIN\0"

uint32_t U32At(const std::vector<unsigned char>& bytes, size_t at) {
    return uint32_t(bytes[at]) | uint32_t(bytes[at + 1]) << 8 | uint32_t(bytes[at + 2]) << 16 |
           uint32_t(bytes[at + 3]) << 24;
}

void AppendU32(std::vector<unsigned char>& bytes, uint32_t value) {
    for (int shift = 0; shift < 32; shift += 8) bytes.push_back(static_cast<unsigned char>(value >> shift));
}

bool LoadBuffer(const nlohmann::json& buffer, size_t index, const std::string& folder,
                std::vector<unsigned char>& bytes, std::string& error) {
    const std::string where = "buffers[" + std::to_string(index) + "]";
    if (!buffer.contains("uri") || !buffer["uri"].is_string()) {
        error = where + " has no uri (a .gltf keeps its data in files or data URIs)";
        return false;
    }
    const std::string uri = buffer["uri"];
    if (uri.compare(0, 5, "data:") == 0) {
        const size_t comma = uri.find(',');
        if (comma == std::string::npos || uri.rfind(";base64", comma) == std::string::npos ||
            !DecodeBase64(uri, comma + 1, bytes)) {
            error = where + ": not a base64 data URI";
            return false;
        }
        return true;
    }
    std::ifstream file(folder + "/" + uri, std::ios::binary);
    if (!file) {
        error = where + ": cannot open " + uri;
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    return true;
}

}  // namespace

bool ReadGlbJson(const std::vector<unsigned char>& glb, nlohmann::json& json, std::string& error) {
    if (glb.size() < 20 || U32At(glb, 0) != kMagic) {
        error = "not a glb file (no glTF header)";
        return false;
    }
    if (U32At(glb, 4) != 2) {
        error = "glb version " + std::to_string(U32At(glb, 4)) + " (only 2 is read)";
        return false;
    }
    const uint32_t jsonLength = U32At(glb, 12);
    if (U32At(glb, 8) > glb.size() || U32At(glb, 16) != kJsonChunk || jsonLength > glb.size() - 20) {
        error = "damaged glb (chunk lengths do not fit the file)";
        return false;
    }
    json = nlohmann::json::parse(glb.begin() + 20, glb.begin() + 20 + jsonLength, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        error = "damaged glb (its JSON chunk does not parse)";
        return false;
    }
    return true;
}

bool GltfToGlb(const std::string& gltfText, const std::string& folder, std::vector<unsigned char>& glb,
               std::string& error) {
    nlohmann::json json = nlohmann::json::parse(gltfText, nullptr, false);
    if (json.is_discarded() || !json.is_object()) {
        error = "not glTF (the JSON does not parse)";
        return false;
    }
    // Every buffer starts at a multiple of 4 in the joined one, so accessors
    // stay aligned as glTF requires.
    std::vector<unsigned char> joined;
    std::vector<size_t> starts;
    if (json.contains("buffers") && json["buffers"].is_array()) {
        for (size_t i = 0; i < json["buffers"].size(); ++i) {
            std::vector<unsigned char> bytes;
            if (!LoadBuffer(json["buffers"][i], i, folder, bytes, error)) return false;
            starts.push_back(joined.size());
            joined.insert(joined.end(), bytes.begin(), bytes.end());
            while (joined.size() % 4 != 0) joined.push_back(0);
        }
    }
    if (json.contains("bufferViews") && json["bufferViews"].is_array()) {
        for (auto& view : json["bufferViews"]) {
            const size_t buffer = view.value("buffer", size_t(0));
            if (buffer >= starts.size()) {
                error = "a bufferView names buffer " + std::to_string(buffer) + ", which is not there";
                return false;
            }
            view["byteOffset"] = view.value("byteOffset", size_t(0)) + starts[buffer];
            view["buffer"] = 0;
        }
    }
    if (starts.empty()) json.erase("buffers");
    else json["buffers"] = nlohmann::json::array({{{"byteLength", joined.size()}}});

    std::string text = json.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
    while (text.size() % 4 != 0) text += ' ';
    glb.clear();
    AppendU32(glb, kMagic);
    AppendU32(glb, 2);
    AppendU32(glb, uint32_t(12 + 8 + text.size() + (joined.empty() ? 0 : 8 + joined.size())));
    AppendU32(glb, uint32_t(text.size()));
    AppendU32(glb, kJsonChunk);
    glb.insert(glb.end(), text.begin(), text.end());
    if (!joined.empty()) {
        AppendU32(glb, uint32_t(joined.size()));
        AppendU32(glb, kBinChunk);
        glb.insert(glb.end(), joined.begin(), joined.end());
    }
    return true;
}
