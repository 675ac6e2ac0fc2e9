// The host keeps the first 127 bytes of a mesh name, and so does the importer;
// the exporter writes up to 255. qev converts files rather than showing them in
// the host, so it gives the meshes their whole stored names back: a file's
// names then survive a conversion to glTF and back.
#ifndef QEV_TOOL_LONG_MESH_NAMES_H
#define QEV_TOOL_LONG_MESH_NAMES_H

#include <string>

#include "model.h"

// model holds what the importer made of the file at path (into an empty model).
// Walks the file's block outline (counts only) and, where a block's stored name
// is longer than the importer kept, puts the whole name on the block's mesh.
void RestoreLongMeshNames(const std::string& path, msModel& model);

#endif
