// The importer's plug-in object: its type value and its command.
#include "import_command.h"
#include "plugin_object.h"

int cPlugIn::GetType() { return 0x81; }

int cPlugIn::Execute(msModel* pModel) { return RunImportCommand(pModel); }
