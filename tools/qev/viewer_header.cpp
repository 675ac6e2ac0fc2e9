#include "viewer_header.h"

#include <map>
#include <string>

namespace {

using nlohmann::json;

const json& Member(const json& object, const char* name) {
    static const json kNull;
    if (!object.is_object()) return kNull;
    const auto found = object.find(name);
    return found == object.end() ? kNull : *found;
}

long long Count(const json& value) { return value.is_number_integer() ? value.get<long long>() : 0; }

long long AccessorCount(const json& gltf, const json& index) {
    if (!index.is_number_unsigned()) return 0;
    const json& accessors = Member(gltf, "accessors");
    if (!accessors.is_array() || index.get<size_t>() >= accessors.size()) return 0;
    return Count(Member(accessors[index.get<size_t>()], "count"));
}

// Counts of a mesh not written by qev: vertices of all primitives, and the
// triangles of its triangle-list primitives.
void CountPrimitives(const json& gltf, const json& mesh, long long& vertices, long long& triangles) {
    vertices = 0;
    triangles = 0;
    const json& primitives = Member(mesh, "primitives");
    if (!primitives.is_array()) return;
    for (const json& primitive : primitives) {
        const long long positions = AccessorCount(gltf, Member(Member(primitive, "attributes"), "POSITION"));
        vertices += positions;
        const json& mode = Member(primitive, "mode");
        if (!mode.is_null() && Count(mode) != 4) continue;
        const json& indices = Member(primitive, "indices");
        triangles += (indices.is_null() ? positions : AccessorCount(gltf, indices)) / 3;
    }
}

std::string NameOf(const json& item, const std::string& fallback) {
    const json& name = Member(item, "name");
    return name.is_string() ? name.get<std::string>() : fallback;
}

json DescribeMeshes(const json& gltf) {
    json rows = json::array();
    const json& meshes = Member(gltf, "meshes");
    if (!meshes.is_array()) return rows;
    std::map<long long, size_t> rowOfBlock;
    std::multimap<std::pair<long long, long long>, json> geostates;
    for (size_t i = 0; i < meshes.size(); ++i) {
        const json& mesh = meshes[i];
        const json& qev = Member(Member(mesh, "extras"), "qev");
        long long vertices = 0, triangles = 0;
        CountPrimitives(gltf, mesh, vertices, triangles);
        if (Member(qev, "triangles").is_number_integer()) triangles = Count(Member(qev, "triangles"));
        if (Member(qev, "vertices").is_number_integer()) vertices = Count(Member(qev, "vertices"));
        const std::string name = NameOf(mesh, "mesh " + std::to_string(i));
        const long long block = Count(Member(qev, "block"));
        if (Member(qev, "kind") == "geostate") {
            const long long number = Count(Member(qev, "geostate"));
            geostates.emplace(std::make_pair(block, number),
                              json{{"name", name}, {"mesh", i}, {"geostate", number}, {"triangles", triangles}});
            continue;
        }
        if (Member(qev, "kind") == "block") rowOfBlock[block] = rows.size();
        rows.push_back({{"name", name}, {"mesh", i}, {"vertices", vertices}, {"triangles", triangles},
                        {"geostates", json::array()}});
    }
    // A geostate whose block is not there is still listed, on its own.
    for (auto& [key, geostate] : geostates) {
        const auto block = rowOfBlock.find(key.first);
        if (block != rowOfBlock.end()) {
            rows[block->second]["geostates"].push_back(std::move(geostate));
        } else {
            geostate.erase("geostate");
            geostate["vertices"] = 0;
            geostate["geostates"] = json::array();
            rows.push_back(std::move(geostate));
        }
    }
    return rows;
}

json DescribeBones(const json& gltf) {
    json bones = json::array();
    const json& nodes = Member(gltf, "nodes");
    if (!nodes.is_array()) return bones;
    auto isNode = [&](const json& index) { return index.is_number_unsigned() && index.get<size_t>() < nodes.size(); };
    auto bone = [&](size_t node, long long joint) {
        return json{{"name", NameOf(nodes[node], "node " + std::to_string(node))}, {"node", node}, {"joint", joint}};
    };

    const json& skins = Member(gltf, "skins");
    const json& joints = skins.is_array() && !skins.empty() ? Member(skins[0], "joints") : json();
    if (joints.is_array() && !joints.empty()) {
        // qev's skins start with the root, which only holds unbound vertices.
        const bool rootFirst = isNode(joints[0]) && NameOf(nodes[joints[0].get<size_t>()], "") == "qev_root";
        for (size_t j = rootFirst ? 1 : 0; j < joints.size(); ++j) {
            if (isNode(joints[j])) bones.push_back(bone(joints[j].get<size_t>(), static_cast<long long>(j)));
        }
        return bones;
    }
    // Bones without skinned meshes: the children of the root node.
    for (size_t n = 0; n < nodes.size(); ++n) {
        if (NameOf(nodes[n], "") != "qev_root") continue;
        const json& children = Member(nodes[n], "children");
        if (children.is_array()) {
            for (const json& child : children) {
                if (isNode(child)) bones.push_back(bone(child.get<size_t>(), -1));
            }
        }
        break;
    }
    return bones;
}

}  // namespace

void DescribeGltfForViewer(const nlohmann::json& gltf, nlohmann::json& header) {
    header["meshes"] = DescribeMeshes(gltf);
    header["bones"] = DescribeBones(gltf);
}
