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

// Bytes handed straight to the stream, counted.
class StreamSink : public gltfqev::BinSink {
public:
    explicit StreamSink(std::ostream& stream) : stream_(stream) {}
    void Append(const unsigned char* bytes, size_t size) override {
        stream_.write(reinterpret_cast<const char*>(bytes), (std::streamsize)size);
        written_ += size;
    }
    bool WantsBytes() const override { return true; }
    uint64_t Written() const { return written_; }

private:
    std::ostream& stream_;
    uint64_t written_ = 0;
};

class CountingSink : public gltfqev::BinSink {
public:
    void Append(const unsigned char*, size_t) override {}
    bool WantsBytes() const override { return false; }
};

// The glb container around tinygltf's JSON. The document is built twice: once
// to lay it out (its JSON, the BIN chunk's length), then again to stream the
// BIN chunk's bytes column by column, so the buffer is never held whole and
// no large allocation is touched for it.
bool WriteGlb(const msModel& model, const GltfOptions& options, std::ostream& stream, std::string& error) {
    tinygltf::Model document;
    CountingSink counter;
    const uint64_t length = gltfqev::BuildGltfDocument(model, options, document, counter);
    if (!document.buffers.empty()) document.buffers[0].uri = "bin";  // serialised as a reference; replaced below
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
    if (length > 0) json["buffers"][0] = {{"byteLength", length}};
    std::string text = json.dump();
    while (text.size() % 4) text.push_back(' ');
    const uint64_t total = 12 + 8 + text.size() + (length == 0 ? 0 : 8 + length);
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
    if (length > 0) {
        PutU32(stream, (uint32_t)length);  // a multiple of 4: the builder pads the buffer's end
        stream.write("BIN\0", 4);
        StreamSink sink(stream);
        tinygltf::Model again;
        gltfqev::BuildGltfDocument(model, options, again, sink);
        if (sink.Written() != length) {
            error = "the glTF's buffer changed between its layout and its bytes";
            return false;
        }
    }
    if (!stream) {
        error = "the glTF could not be written";
        return false;
    }
    return true;
}

bool SerialiseTo(const msModel& model, const GltfOptions& options, bool binary, std::ostream& stream,
                 std::string& error) {
    if (binary) return WriteGlb(model, options, stream, error);
    tinygltf::Model document;
    gltfqev::BuildGltfDocument(model, options, document);
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
