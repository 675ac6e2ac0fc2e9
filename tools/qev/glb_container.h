// The binary glTF container: one JSON chunk and an optional binary chunk.
#ifndef QEV_TOOL_GLB_CONTAINER_H
#define QEV_TOOL_GLB_CONTAINER_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

// Checks the container (magic, version 2, lengths, a JSON chunk first) and
// parses its JSON. On failure a one-line reason.
bool ReadGlbJson(const std::vector<unsigned char>& glb, nlohmann::json& json, std::string& error);

// Makes a glb from glTF JSON text whose buffers are data URIs or files beside
// it (folder): the buffers are joined into the one binary chunk.
bool GltfToGlb(const std::string& gltfText, const std::string& folder, std::vector<unsigned char>& glb,
               std::string& error);

#endif
