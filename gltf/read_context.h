// What the parts of GltfToModel share while one file is read.
#ifndef QEV_GLTF_READ_CONTEXT_H
#define QEV_GLTF_READ_CONTEXT_H

#include <string>
#include <vector>

#include <tiny_gltf.h>

#include "accessor_reader.h"
#include "gltf_conventions.h"
#include "model.h"

namespace gltfqev {

struct ReadContext {
    ReadContext(const tinygltf::Model& d, msModel& m, std::vector<std::string>& w) : document(d), model(m), warnings(w) {}

    const tinygltf::Model& document;
    msModel& model;
    std::vector<std::string>& warnings;

    std::vector<int> parent;                      // per node, -1 at a root
    std::vector<std::vector<int32_t>> jointBones;  // per skin and joint: the bone, or -1 for qev's root
    size_t overInfluenced = 0;                    // vertices with more than four influences

    // The name as Latin-1 bytes, with a warning when characters were replaced.
    std::string Latin1Name(const std::string& utf8);
    Matrix WorldMatrix(int node) const;
};

// A mesh node of a file from another tool: one QEV mesh, or several when it
// has more vertices than a QEV mesh can index.
void ReadForeignMeshNode(ReadContext& context, int node);

// The four-component values of an attribute accessor, checked against the
// primitive's vertex count.
AccessorValues OpenAttribute(const ReadContext& context, const tinygltf::Primitive& primitive, const std::string& name,
                             const std::string& primitivePointer, size_t vertexCount,
                             std::initializer_list<int> types, std::initializer_list<int> componentTypes);

}  // namespace gltfqev

#endif
