#include "file_commands.h"

int RunCheckCommand(const Arguments& args) { return RunFileCommand(FileCommand::kCheck, args); }
