#include "private_mount.h"

#include <fcntl.h>
#include <sched.h>
#include <sys/mount.h>
#include <unistd.h>

#include <string>

namespace testsupport {
namespace {

bool WriteProcFile(const char* path, const std::string& text) {
    const int fd = open(path, O_WRONLY);
    if (fd < 0) return false;
    const bool ok = write(fd, text.data(), text.size()) == ssize_t(text.size());
    close(fd);
    return ok;
}

}  // namespace

bool EnterPrivateMountNamespace() {
    const uid_t uid = getuid();
    const gid_t gid = getgid();
    if (unshare(CLONE_NEWUSER | CLONE_NEWNS) != 0) return false;
    WriteProcFile("/proc/self/setgroups", "deny");  // absent on older kernels; gid_map then needs no deny
    if (!WriteProcFile("/proc/self/uid_map", "0 " + std::to_string(uid) + " 1")) return false;
    if (!WriteProcFile("/proc/self/gid_map", "0 " + std::to_string(gid) + " 1")) return false;
    mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr);  // keep our mounts from the parent's namespace
    return true;
}

}  // namespace testsupport
