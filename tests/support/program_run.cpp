#include "program_run.h"

#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>

#include "test_files.h"

namespace testsupport {

namespace {

std::string ReadText(const std::string& path) {
    const Bytes bytes = ReadFile(path);
    return std::string(bytes.begin(), bytes.end());
}

}  // namespace

ProgramRun RunProgram(const std::string& program, const std::vector<std::string>& args) {
    ScratchFolder capture;
    const std::string outPath = capture.File("out");
    const std::string errPath = capture.File("err");
    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    ProgramRun run;
    std::fflush(nullptr);
    const pid_t pid = fork();
    if (pid == 0) {
        const int in = open("/dev/null", O_RDONLY);
        const int out = open(outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        const int err = open(errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
        if (in < 0 || out < 0 || err < 0 || dup2(in, 0) < 0 || dup2(out, 1) < 0 || dup2(err, 2) < 0) _exit(127);
        execv(program.c_str(), argv.data());
        _exit(127);
    }
    int status = 0;
    rusage usage{};
    if (pid > 0 && wait4(pid, &status, 0, &usage) == pid) {
        run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
        run.peakResidentKiB = usage.ru_maxrss;
        run.cpuSeconds = double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                         double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    }
    run.out = ReadText(outPath);
    run.err = ReadText(errPath);
    return run;
}

ProgramRun RunBuiltProgram(const std::string& name, const std::vector<std::string>& args) {
    return RunProgram(std::string(QEV_BIN_DIR) + "/" + name, args);
}

}  // namespace testsupport
