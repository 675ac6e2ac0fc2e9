// The mesh blocks of a QEV file: one new host mesh per block, with its vertices
// and triangles, then one new host mesh per geostate block, then the name.
#ifndef QEV_MESH_BLOCKS_H
#define QEV_MESH_BLOCKS_H

#include <stdint.h>

#include "index_list.h"
#include "msLib.h"
#include "qev_reader.h"

// Reads up to numMeshes mesh blocks and enters the host index of each block's
// mesh (not of its geostate meshes) in meshTable, in file order. Stops at the
// first short read; what came from whole records stays in the model.
// A host that refuses a mesh, vertex or triangle (a negative index or a null
// handle) stops the reading there too, and the result is then false.
bool ReadMeshBlocks(QevReader* reader, msModel* model, int32_t version, int32_t numMeshes,
                    IndexList* meshTable);

#endif
