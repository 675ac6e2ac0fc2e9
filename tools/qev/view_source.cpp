#include "view_source.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "glb_container.h"
#include "import_command.h"
#include "model.h"
#include "model_glb.h"
#include "qev_integrity.h"
#include "viewer_header.h"

namespace {

std::string Extension(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash)) return "";
    std::string extension = path.substr(dot + 1);
    for (char& c : extension) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    return extension;
}

std::string BaseName(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string Folder(const std::string& path) {
    const size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : path.substr(0, slash);
}

bool ReadBytes(const std::string& path, std::vector<unsigned char>& bytes, std::string& error) {
    std::ifstream file(path, std::ios::binary);
    if (!file) {
        error = path + ": cannot open: " + strerror(errno);
        return false;
    }
    bytes.assign(std::istreambuf_iterator<char>(file), std::istreambuf_iterator<char>());
    if (file.bad()) {
        error = path + ": cannot read";
        return false;
    }
    return true;
}

// File names are bytes; the page's JSON wants UTF-8, and Latin-1 is what the
// format's names are read as.
std::string Latin1ToUtf8(const std::string& bytes) {
    std::string text;
    for (unsigned char c : bytes) {
        if (c < 0x80) {
            text += static_cast<char>(c);
        } else {
            text += static_cast<char>(0xC0 | c >> 6);
            text += static_cast<char>(0x80 | (c & 0x3F));
        }
    }
    return text;
}

bool LoadQev(const std::string& path, ViewSource& source, std::string& error) {
    QevIntegrity integrity;
    if (!CheckQevIntegrity(path, integrity, error)) return false;
    msModel model;
    if (ImportQevFile(&model, path.c_str()) != 0) {
        error = path + ": cannot open: " + strerror(errno);
        return false;
    }
    if (!MakeModelGlb(model, source.glb, error)) {
        error = path + ": " + error;
        return false;
    }
    source.header["format"] = "qev";
    source.header["version"] = integrity.version;
    source.header["integrity"] = {{"whole", integrity.whole}, {"text", integrity.text}};
    return true;
}

}  // namespace

bool LoadViewSource(const std::string& path, ViewSource& source, std::string& error) {
    source = ViewSource();
    source.header["file"] = Latin1ToUtf8(BaseName(path));
    const std::string extension = Extension(path);
    bool loaded = false;
    if (extension == "qev") {
        loaded = LoadQev(path, source, error);
    } else if (extension == "glb") {
        loaded = ReadBytes(path, source.glb, error);
        source.header["format"] = "glb";
    } else if (extension == "gltf") {
        std::vector<unsigned char> text;
        loaded = ReadBytes(path, text, error);
        if (loaded && !GltfToGlb(std::string(text.begin(), text.end()), Folder(path), source.glb, error)) {
            error = path + ": " + error;
            loaded = false;
        }
        source.header["format"] = "gltf";
    } else {
        error = path + ": unknown format (the extension must be .qev, .glb or .gltf)";
    }
    if (!loaded) return false;

    nlohmann::json gltf;
    if (!ReadGlbJson(source.glb, gltf, error)) {
        error = path + ": " + error;
        return false;
    }
    DescribeGltfForViewer(gltf, source.header);
    return true;
}
