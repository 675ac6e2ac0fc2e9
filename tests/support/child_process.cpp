#include "child_process.h"

#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

namespace testsupport {

int RunInChild(const std::function<int(std::string* report)>& body, std::string* report) {
    int ends[2];
    if (pipe(ends) != 0) return -1;
    std::fflush(nullptr);  // a buffer copied into the child would otherwise be written twice
    const pid_t pid = fork();
    if (pid == 0) {
        close(ends[0]);
        std::string text;
        const int code = body(&text);
        if (!text.empty() && write(ends[1], text.data(), text.size()) != ssize_t(text.size()))
            _exit(kChildLostItsReport);
        _exit(code);
    }
    close(ends[1]);
    std::string received;
    char buffer[512];
    ssize_t got;
    while (pid > 0 && (got = read(ends[0], buffer, sizeof(buffer))) > 0) received.append(buffer, size_t(got));
    close(ends[0]);
    if (report) *report += received;
    int status = 0;
    if (pid < 0 || waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

}  // namespace testsupport
