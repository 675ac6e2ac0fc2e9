#include "qev_commands.h"

int RunInfoCommand(const Arguments&) { return UsageError("'info' is not available in this build yet"); }
