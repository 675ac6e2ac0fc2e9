// The viewer page's header JSON: what the panel lists, taken from the glTF
// the page shows, so that each row names the glTF mesh or node it toggles.
//
//   meshes: [{name, mesh, vertices, triangles, geostates: [{name, mesh, geostate, triangles}]}]
//   bones:  [{name, node, joint}]      joint: index in skins[0].joints, or -1
//
// Geostate meshes (extras.qev.kind "geostate") are listed under the block
// mesh with the same extras.qev.block; counts come from the extras when the
// converter wrote them, else from the accessors.
#ifndef QEV_TOOL_VIEWER_HEADER_H
#define QEV_TOOL_VIEWER_HEADER_H

#include <nlohmann/json.hpp>

// Adds "meshes" and "bones" to header from the glTF JSON.
void DescribeGltfForViewer(const nlohmann::json& gltf, nlohmann::json& header);

#endif
