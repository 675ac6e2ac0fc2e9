// Walks the host's model front to back and writes it as a version-4 QEV file.
#ifndef QEV_MODEL_WRITER_H
#define QEV_MODEL_WRITER_H

#include "file_commit.h"
#include "msLib.h"

// Writes the whole model to file, one record per write. Returns false as soon
// as a write has failed; the model is never changed.
bool WriteModel(msModel* model, PendingFile* file);

#endif
