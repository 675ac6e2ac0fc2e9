// The host-call floors: exactly the model-library calls each command makes, in
// the same order, with the values taken from or left in memory. No file, no
// encoding or decoding: what remains of a command's time beyond this floor and
// the raw file I/O is the command's own work.
#ifndef QEV_BENCH_HOST_CALL_FLOORS_H
#define QEV_BENCH_HOST_CALL_FLOORS_H

#include <cstdint>

#include "decoded_model.h"
#include "msLib.h"

namespace bench {

// The import's calls into model (normally empty): the mesh blocks, then the
// bone merge's lookups and additions and its one re-binding pass.
void ImportHostCalls(const DecodedModel& file, msModel* model);

// The export's calls on model, ending with msModel_Destroy as the command's
// do.
void ExportHostCalls(msModel* model);

}  // namespace bench

#endif
