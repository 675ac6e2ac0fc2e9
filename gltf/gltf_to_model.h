// glTF 2.0 into the model: files qev wrote come back exactly (their extras and
// custom attributes restore what glTF's own attributes cannot hold); files from
// other tools follow the rules below.
//
// - Triangle lists, strips and fans; points and lines are refused.
// - One QEV mesh per node with a mesh, in the order of the file's node list,
//   the node's transform baked into positions and normals (skinned nodes are
//   left as they are: glTF ignores their transform). A mesh of more than
//   65,536 vertices is split into "<name>", "<name>.1", ...
// - Bones from the skins' joints, merged by name, posed by the inverse of their
//   inverse bind matrix; at most four influences per vertex, the largest.
// - Names outside Latin-1 have '?' in place of what Latin-1 cannot hold.
// - Materials, textures, animations, cameras, lights and morph targets are
//   left out with one warning.
#ifndef QEV_GLTF_TO_MODEL_H
#define QEV_GLTF_TO_MODEL_H

#include <string>
#include <vector>

#include "gltf_options.h"
#include "model.h"

// Reads a .glb or .gltf held in memory (told apart by the glb magic) into model,
// which should be empty. baseDir is where a .gltf's external buffers are found;
// with an empty baseDir no file is read (everything must be in bytes).
// On failure returns false with one line naming the problem and where it is (a
// JSON pointer) and leaves model unchanged; warnings are one line each.
bool GltfToModel(const std::vector<unsigned char>& bytes, const std::string& baseDir, const GltfOptions& options,
                 msModel& model, std::vector<std::string>& warnings, std::string& error);

// The same from a file: a .glb's BIN chunk is read where the file is mapped,
// neither copied into a buffer nor held in memory twice.
bool GltfFileToModel(const std::string& path, const GltfOptions& options, msModel& model,
                     std::vector<std::string>& warnings, std::string& error);

#endif
