// Running part of a test as an ordinary user. CI runs the tests as root, for
// whom permission bits mean nothing; a forked child drops to this user to see
// what a user without root rights would see.
#ifndef QEV_TEST_UNPRIVILEGED_USER_H
#define QEV_TEST_UNPRIVILEGED_USER_H

#include <sys/types.h>

namespace testsupport {

// The ids a root process drops to ("nobody" on Debian).
constexpr uid_t kUnprivilegedUid = 65534;
constexpr gid_t kUnprivilegedGid = 65534;
// A second group the dropped process belongs to, for tests of group ownership.
constexpr gid_t kUnprivilegedExtraGid = 65533;

bool RunningAsRoot();

// Gives a path to the unprivileged user when running as root, so that a
// dropped child may use it; does nothing otherwise. False on failure.
bool HandToUnprivilegedUser(const char* path);

// As root: drops for good to kUnprivilegedUid, with kUnprivilegedGid and
// kUnprivilegedExtraGid as its groups. As anyone else: nothing to drop. False
// when the drop failed. Call it only in a child process.
bool DropToUnprivilegedUser();

}  // namespace testsupport

#endif
