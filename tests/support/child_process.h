// Runs part of a test in a forked child, so that what it changes about the
// process (a file-size limit, a private mount, its peak memory) stays there.
#ifndef QEV_TEST_CHILD_PROCESS_H
#define QEV_TEST_CHILD_PROCESS_H

#include <functional>
#include <string>

namespace testsupport {

// The exit code of a child that had something to report but could not pass
// it back: never a pass, whatever the body returned.
constexpr int kChildLostItsReport = 78;

// Runs body in a child process and returns the code body returned, or -1 when
// the child could not start or died. What body writes to its report reaches
// *report (when report is given).
int RunInChild(const std::function<int(std::string* report)>& body, std::string* report = nullptr);

}  // namespace testsupport

#endif
