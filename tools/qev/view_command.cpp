#include "qev_commands.h"

int RunViewCommand(const Arguments&) { return UsageError("'view' is not available in this build yet"); }
