// qevhost's command line.
#ifndef QEVHOST_COMMAND_LINE_H
#define QEVHOST_COMMAND_LINE_H

#include <string>
#include <vector>

namespace qevhost {

enum class Command { Help, Info, Import, Export };

struct HostOptions {
    Command command = Command::Help;
    std::string qevPath;     // the file the dialog answers with
    std::string modelPath;   // export's MODEL.json, or import's --into
    std::string plugInPath;  // empty: the plug-in beside qevhost
    bool cancel = false;
    bool nullModel = false;
    bool summary = false;
};

extern const char kUsage[];

// args without the program name. On a usage error returns false with a
// one-line reason.
bool ParseCommandLine(const std::vector<std::string>& args, HostOptions& options, std::string& error);

}  // namespace qevhost

#endif
