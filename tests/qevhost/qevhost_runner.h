// Runs the built qevhost as a separate program, as a user would, and collects
// what it printed and its exit status.
#ifndef QEV_TESTS_QEVHOST_RUNNER_H
#define QEV_TESTS_QEVHOST_RUNNER_H

#include <string>
#include <vector>

#include "json_text.h"

struct QevhostRun {
    int exitStatus = -1;
    std::string out;
    std::string err;
    qevmodel::Json Report() const;  // stdout parsed; fails the test when it is not JSON
};

QevhostRun RunQevhost(const std::vector<std::string>& args);

// Text files for qevhost's input, on the shared test-file helpers.
void WriteText(const std::string& path, const std::string& text);

#endif
