#include "view_source.h"

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>

#include "glb_container.h"
#include "file_facts.h"
#include "file_reports.h"
#include "model.h"
#include "model_json.h"
#include "model_to_gltf.h"
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

// The header's integrity line: what qev check says of the file, in one line.
nlohmann::json IntegrityOf(const FileFacts& facts) {
    const Problem* firstError = nullptr;
    for (const Problem& problem : facts.problems) {
        if (problem.severity == Severity::kError) {
            firstError = &problem;
            break;
        }
    }
    if (!firstError) {
        std::string text = "whole";
        if (facts.warnings > 0) text += " (" + IntegritySummary(facts) + ")";
        return {{"whole", true}, {"text", text}};
    }
    std::string text = BlockPrefix(facts, firstError->block) + firstError->message;
    if (firstError->code != "damaged") text = "damaged: " + text;
    return {{"whole", false}, {"text", text}};
}

// The model is what the importer reads of the file, damaged or not, read once
// by the same code qev check uses.
bool LoadQev(const std::string& path, ViewSource& source, std::string& error) {
    FileFacts facts;
    if (!ReadFileFacts(path, facts, error)) return false;
    if (!ModelToGlb(*facts.model, GltfOptions(), source.glb, error)) {
        error = path + ": " + error;
        return false;
    }
    source.header["format"] = "qev";
    source.header["version"] = facts.version;
    source.header["integrity"] = IntegrityOf(facts);
    return true;
}

}  // namespace

bool LoadViewSource(const std::string& path, ViewSource& source, std::string& error) {
    source = ViewSource();
    source.header["file"] = qevmodel::Latin1ToUtf8(BaseName(path));
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
