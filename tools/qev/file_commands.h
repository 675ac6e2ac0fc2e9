// info and check share their command line and their walk over the files;
// they differ in what they print for each file and in the exit status.
#ifndef QEV_TOOL_FILE_COMMANDS_H
#define QEV_TOOL_FILE_COMMANDS_H

#include "qev_commands.h"

enum class FileCommand { kInfo, kCheck };

int RunFileCommand(FileCommand command, const Arguments& args);

#endif
