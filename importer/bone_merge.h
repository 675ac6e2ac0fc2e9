// The bone list of a QEV file merged into the host's bones.
#ifndef QEV_BONE_MERGE_H
#define QEV_BONE_MERGE_H

#include <stdint.h>

#include "index_list.h"
#include "msLib.h"
#include "qev_reader.h"

// Reads the bone list: each bone is found by name or added with its name,
// position and rotation (a bone found is left as it is). Then the bone
// references of the vertices of the meshes in meshTable are re-bound from file
// bone numbers to host bone indices; references that name no bone read from
// this file keep their value. Bones after a short read are neither read nor
// added, and the ones read whole are still merged. A bone the host refuses
// ends the reading the same way; the result is then false, as it is when the
// host refuses a handle the re-binding needs.
bool MergeBones(QevReader* reader, msModel* model, int32_t version, const IndexList* meshTable);

#endif
