// The commands of the qev tool. Each takes the arguments after its name and
// returns the exit status: 0 success, 1 a file failed (others were still
// handled), 2 a usage error or a file that cannot be read.
#ifndef QEV_TOOL_COMMANDS_H
#define QEV_TOOL_COMMANDS_H

#include <string>
#include <vector>

using Arguments = std::vector<std::string>;

int RunInfoCommand(const Arguments& args);
int RunCheckCommand(const Arguments& args);
int RunConvertCommand(const Arguments& args);
int RunViewCommand(const Arguments& args);
int RunPreviewCommand(const Arguments& args);

// One line on standard error, "qev: <message>", and the usage status 2.
int UsageError(const std::string& message);

#endif
