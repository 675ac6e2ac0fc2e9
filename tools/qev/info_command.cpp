#include "file_commands.h"

int RunInfoCommand(const Arguments& args) { return RunFileCommand(FileCommand::kInfo, args); }
