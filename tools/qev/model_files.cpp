#include "model_files.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <memory>
#include <ostream>
#include <streambuf>

#include "export_command.h"
#include "file_commit.h"
#include "gltf_to_model.h"
#include "import_command.h"
#include "json_stream.h"
#include "long_mesh_names.h"
#include "model_json.h"
#include "model_to_gltf.h"

namespace {

std::string Lower(std::string text) {
    for (char& c : text)
        if (c >= 'A' && c <= 'Z') c = (char)(c - 'A' + 'a');
    return text;
}

// A stream whose bytes go to a pending file, so a large glTF is written out
// as it is serialised rather than held whole in memory first.
class PendingStreamBuffer : public std::streambuf {
public:
    explicit PendingStreamBuffer(PendingFile* file) : file_(file) {}

protected:
    std::streamsize xsputn(const char* bytes, std::streamsize size) override {
        WritePending(file_, bytes, (size_t)size);
        return file_->failed ? 0 : size;
    }
    int_type overflow(int_type c) override {
        if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
        const char byte = traits_type::to_char_type(c);
        WritePending(file_, &byte, 1);
        return file_->failed ? traits_type::eof() : c;
    }

private:
    PendingFile* file_;
};

bool WriteGltfCommitted(const msModel& model, const std::string& path, bool binary, const GltfOptions& options,
                        std::string& error) {
    std::unique_ptr<PendingFile> file(new PendingFile());
    if (!OpenPendingFile(path.c_str(), file.get())) {
        error = "cannot create a file beside " + path;
        return false;
    }
    PendingStreamBuffer buffer(file.get());
    std::ostream stream(&buffer);
    const bool serialised = WriteModelAsGltf(model, options, binary, stream, error);
    if (!serialised) file->failed = true;
    if (!CommitPendingFile(file.get())) {
        if (serialised) error = "cannot write " + path;
        return false;
    }
    return true;
}

// The model JSON printed item by item into the pending file, so a large model
// is not held a second time as one document; the commit sees any failed write
// through the stream's error flag.
bool WriteJsonCommitted(const msModel& model, const std::string& path, std::string& error) {
    PendingFile file;
    if (!OpenPendingFile(path.c_str(), &file)) {
        error = "cannot create a file beside " + path;
        return false;
    }
    qevmodel::JsonStream stream(file.stream);
    qevmodel::WriteModelJson(stream, model);
    if (!CommitPendingFile(&file)) {
        error = "cannot write " + path;
        return false;
    }
    return true;
}

}  // namespace

ModelFormat FormatOfExtension(const std::string& extension) {
    const std::string e = Lower(extension);
    if (e == "qev") return ModelFormat::Qev;
    if (e == "json") return ModelFormat::Json;
    if (e == "glb") return ModelFormat::Glb;
    if (e == "gltf") return ModelFormat::Gltf;
    return ModelFormat::Unknown;
}

ModelFormat FormatOfPath(const std::string& path) {
    const size_t dot = path.find_last_of('.');
    const size_t slash = path.find_last_of('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return ModelFormat::Unknown;
    return FormatOfExtension(path.substr(dot + 1));
}

const char* ExtensionOf(ModelFormat format) {
    switch (format) {
    case ModelFormat::Qev: return "qev";
    case ModelFormat::Json: return "json";
    case ModelFormat::Glb: return "glb";
    case ModelFormat::Gltf: return "gltf";
    default: return "";
    }
}

bool ReadModelAny(const std::string& path, const GltfOptions& options, msModel& model,
                  std::vector<std::string>& warnings, std::string& error) {
    switch (FormatOfPath(path)) {
    case ModelFormat::Qev:
        if (ImportQevFile(&model, path.c_str()) != 0) {
            error = std::string("cannot open: ") + strerror(errno);
            return false;
        }
        RestoreLongMeshNames(path, model);
        return true;
    case ModelFormat::Json:
        return qevmodel::ReadModelFile(path, model, error);
    case ModelFormat::Glb:
    case ModelFormat::Gltf: {
        return GltfFileToModel(path, options, model, warnings, error);
    }
    default:
        error = "unknown format (the extension must be .qev, .json, .glb or .gltf)";
        return false;
    }
}

bool WriteModelAny(msModel& model, const std::string& path, ModelFormat format, const GltfOptions& options,
                   std::string& error) {
    switch (format) {
    case ModelFormat::Qev:
        if (ExportQevFile(&model, path.c_str()) != 0) {
            error = "cannot write " + path;
            return false;
        }
        return true;
    case ModelFormat::Json:
        return WriteJsonCommitted(model, path, error);
    case ModelFormat::Glb:
        return WriteGltfCommitted(model, path, true, options, error);
    case ModelFormat::Gltf:
        return WriteGltfCommitted(model, path, false, options, error);
    default:
        error = "unknown output format";
        return false;
    }
}
