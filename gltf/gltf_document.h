// Builds the tinygltf model of a QEV model; model_to_gltf.cpp serialises it.
#ifndef QEV_GLTF_DOCUMENT_H
#define QEV_GLTF_DOCUMENT_H

#include <tiny_gltf.h>

#include "gltf_options.h"
#include "model.h"

namespace gltfqev {

void BuildGltfDocument(const msModel& model, const GltfOptions& options, tinygltf::Model& document);

}  // namespace gltfqev

#endif
