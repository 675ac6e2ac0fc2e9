#include "qev_commands.h"

int RunPreviewCommand(const Arguments&) { return UsageError("'preview' is not available in this build yet"); }
