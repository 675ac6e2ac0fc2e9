// qevhost: a stand-in for the modelling host. Loads a QEV plug-in, runs it on
// an in-memory model with its file dialog answered from the command line, and
// prints one JSON report (see command_line.cpp for the usage).
#include <cstdio>
#include <exception>
#include <string>
#include <vector>

#include "command_line.h"
#include "host_commands.h"

int main(int argc, char** argv) {
    using namespace qevhost;
    try {
        const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
        HostOptions options;
        std::string error;
        HostOutcome outcome;
        if (ParseCommandLine(args, options, error)) {
            outcome = RunHost(options);
        } else {
            outcome.exitStatus = kHostError;
            outcome.error = error + " (see qevhost --help)";
        }
        if (outcome.exitStatus == kHostError) {
            for (char& c : outcome.error)
                if (c == '\n' || c == '\r') c = ' ';  // one line, whatever the loader said
            std::fprintf(stderr, "qevhost: %s\n", outcome.error.c_str());
            return kHostError;
        }
        std::fwrite(outcome.report.data(), 1, outcome.report.size(), stdout);
        if (std::fflush(stdout) != 0) return kHostError;
        return outcome.exitStatus;
    } catch (const std::exception& e) {
        std::fprintf(stderr, "qevhost: %s\n", e.what());
        return kHostError;
    }
}
