// Writing a file so that the chosen path only ever holds a complete file.
//
// The bytes go to a new temporary file beside the target; only when every
// write, the flush and the close have succeeded does the temporary file take
// the target's place, in one step. Until then an existing target keeps its old
// bytes, and on any failure the temporary file is removed again.
#ifndef QEV_FILE_COMMIT_H
#define QEV_FILE_COMMIT_H

#include <stddef.h>
#include <stdio.h>

enum { QEV_PENDING_PATH_BUFFER = 320, QEV_WRITE_BUFFER = 65536 };

struct PendingFile {
    FILE* stream;
    bool failed;  // a write has failed; the file will not be committed
    char szTarget[QEV_PENDING_PATH_BUFFER];
    char szTemp[QEV_PENDING_PATH_BUFFER];
    // The stream's buffer. With the C library's default of a few KB, the system
    // call every few records cost more on a large model than writing the
    // whole file in one call does.
    char buffer[QEV_WRITE_BUFFER];
};

// Creates a new temporary file in the target's folder and opens it for binary
// writing. Returns false, with nothing created, when that is not possible.
bool OpenPendingFile(const char* targetPath, PendingFile* file);

// Hands size bytes to the stream. A failure is remembered; later writes are
// then skipped.
void WritePending(PendingFile* file, const void* bytes, size_t size);

// Flushes and closes the stream and, when nothing failed, puts the temporary
// file in place of the target. Returns true when the target now holds the
// file; otherwise the temporary file is gone and the target is untouched.
bool CommitPendingFile(PendingFile* file);

#endif
