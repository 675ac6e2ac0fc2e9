// Walks the host's model front to back and writes it as a version-4 QEV file.
#ifndef QEV_MODEL_WRITER_H
#define QEV_MODEL_WRITER_H

#include "file_commit.h"
#include "msLib.h"

// Writes the whole model to file, one record per write, and stops at the first
// failed write (the file then remembers it and is not committed). A null handle
// or a negative count from the host stops it the same way, with the file marked
// failed. The model is never changed.
void WriteModel(msModel* model, PendingFile* file);

#endif
