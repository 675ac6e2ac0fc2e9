#include "qev_commands.h"

int RunCheckCommand(const Arguments&) { return UsageError("'check' is not available in this build yet"); }
