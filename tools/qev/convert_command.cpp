#include "qev_commands.h"

int RunConvertCommand(const Arguments&) { return UsageError("'convert' is not available in this build yet"); }
