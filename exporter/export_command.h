// The exporter's command: writes the host's current model to a version-4 QEV file.
#ifndef QEV_EXPORT_COMMAND_H
#define QEV_EXPORT_COMMAND_H

#include "msLib.h"

// The whole command as Execute runs it: null check, empty-model warning, save
// dialog, export. Returns 0 or -1.
int RunExportCommand(msModel* model);

// Writes model to path and, once the file is complete and in place, hands the
// model to msModel_Destroy. Returns 0, or -1 when the file could not be written
// (the path is then left as it was).
int ExportQevFile(msModel* model, const char* path);

#endif
