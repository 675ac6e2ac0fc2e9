// The importer's command: reads a QEV file into the host's current model.
#ifndef QEV_IMPORT_COMMAND_H
#define QEV_IMPORT_COMMAND_H

#include "msLib.h"
#include "read_place.h"

// The whole command as Execute runs it: null check, open dialog, import.
// Returns 0 or -1 (null model, or a file that cannot be opened).
int RunImportCommand(msModel* model);

// Reads the file at path into model. Returns -1 when it cannot be opened, else 0.
int ImportQevFile(msModel* model, const char* path);

// The same import, reporting each field and record read whole to observer and
// how reading ended to outcome (either may be null). The model gets exactly
// what ImportQevFile gives it.
int ImportQevFileObserved(msModel* model, const char* path, const QevReadObserver* observer,
                          QevReadOutcome* outcome);

#endif
