// The model as glTF 2.0: one mesh and one node per QEV mesh block, in file
// order; geostate meshes in a scene of their own; the bones as one skin whose
// joints are a root node and every bone as its direct child. What glTF's own
// attributes cannot hold exactly travels in custom attributes and extras
// (gltf_conventions.h), so that GltfToModel gives back the same model.
#ifndef QEV_MODEL_TO_GLTF_H
#define QEV_MODEL_TO_GLTF_H

#include <ostream>
#include <string>
#include <vector>

#include "gltf_options.h"
#include "model.h"

// The binary form (.glb), in memory. False with a one-line reason on failure.
bool ModelToGlb(const msModel& model, const GltfOptions& options, std::vector<unsigned char>& glb,
                std::string& error);

// The text form (.gltf), its buffer embedded as a base64 data URI.
bool ModelToGltfText(const msModel& model, const GltfOptions& options, std::string& gltf, std::string& error);

// Either form straight into a stream (a file being written), without a copy
// of the whole file in memory.
bool WriteModelAsGltf(const msModel& model, const GltfOptions& options, bool binary, std::ostream& out,
                      std::string& error);

#endif
