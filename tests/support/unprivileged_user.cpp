#include "unprivileged_user.h"

#include <grp.h>
#include <unistd.h>

namespace testsupport {

bool RunningAsRoot() { return geteuid() == 0; }

bool HandToUnprivilegedUser(const char* path) {
    return !RunningAsRoot() || chown(path, kUnprivilegedUid, kUnprivilegedGid) == 0;
}

bool DropToUnprivilegedUser() {
    if (!RunningAsRoot()) return true;
    const gid_t groups[] = {kUnprivilegedGid, kUnprivilegedExtraGid};
    // Groups first: once the user id is gone, so is the right to change them.
    if (setgroups(2, groups) != 0) return false;
    if (setresgid(kUnprivilegedGid, kUnprivilegedGid, kUnprivilegedGid) != 0) return false;
    if (setresuid(kUnprivilegedUid, kUnprivilegedUid, kUnprivilegedUid) != 0) return false;
    return geteuid() == kUnprivilegedUid && getegid() == kUnprivilegedGid;
}

}  // namespace testsupport
