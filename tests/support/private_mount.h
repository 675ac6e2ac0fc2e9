// A private mount namespace, for tests that mount a small tmpfs to see a
// write fail on a full filesystem without root rights.
#ifndef QEV_TEST_PRIVATE_MOUNT_H
#define QEV_TEST_PRIVATE_MOUNT_H

namespace testsupport {

// Moves the calling process into new user and mount namespaces where it may
// mount; false where the system does not allow it (the test then skips).
// Call it only in a child process: the move cannot be undone.
bool EnterPrivateMountNamespace();

}  // namespace testsupport

#endif
