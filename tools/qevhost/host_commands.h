// qevhost's commands: load a plug-in as the host does, run it on a model, and
// report what it did.
#ifndef QEVHOST_HOST_COMMANDS_H
#define QEVHOST_HOST_COMMANDS_H

#include <string>

#include "command_line.h"

namespace qevhost {

enum ExitStatus { kExecuteSucceeded = 0, kExecuteFailed = 1, kHostError = 2 };

struct HostOutcome {
    int exitStatus = kHostError;
    std::string report;  // the JSON report of info or help; a plug-in's run writes its own to stdout
    std::string error;   // one line, for kHostError
};

HostOutcome RunHost(const HostOptions& options);

}  // namespace qevhost

#endif
