// What view and preview show for one input file: the model as glb and the
// page's header (file name, format, version and integrity for QEV, the mesh
// and bone lists).
#ifndef QEV_TOOL_VIEW_SOURCE_H
#define QEV_TOOL_VIEW_SOURCE_H

#include <string>
#include <vector>

#include <nlohmann/json.hpp>

struct ViewSource {
    nlohmann::json header;
    std::vector<unsigned char> glb;
};

// Reads FILE.qev (imported as the importer reads it, damaged or not, then
// converted), FILE.glb or FILE.gltf. On failure a one-line reason that starts
// with the path.
bool LoadViewSource(const std::string& path, ViewSource& source, std::string& error);

#endif
