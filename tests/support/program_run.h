// Runs one of the built programs as a separate process, as a user would, and
// collects what it printed, its exit status and what it cost.
#ifndef QEV_TEST_PROGRAM_RUN_H
#define QEV_TEST_PROGRAM_RUN_H

#include <string>
#include <vector>

namespace testsupport {

struct ProgramRun {
    int exitStatus = -1;  // -1 when it could not start or died on a signal
    std::string out;
    std::string err;
    long peakResidentKiB = 0;  // the child's own, from wait4
    double cpuSeconds = 0;     // user and system: the machine's other work does not count
};

// Runs program (a path) with args, standard input closed, output to files.
ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args);

// A program from the build's bin folder by name: "qev", "qevhost".
ProgramRun RunBuiltProgram(const std::string& name, const std::vector<std::string>& args);

}  // namespace testsupport

#endif
