// The exporter's plug-in object: its type value and its command.
#include "export_command.h"
#include "plugin_object.h"

int cPlugIn::GetType() { return 0x82; }

int cPlugIn::Execute(msModel* pModel) { return RunExportCommand(pModel); }
