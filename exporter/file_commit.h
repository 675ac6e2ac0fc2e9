// Saving a file so that the chosen path only ever holds a complete file.
//
// Any bytes can be saved this way, not only QEV files: the caller opens a
// pending file for a path, hands it bytes in as many pieces as it likes and
// commits it at the end.
//
// The bytes go to a new temporary file of a short fixed-length name in the
// folder of the file the path names (through symbolic links); only when every
// write, the flush to the disk and the close have succeeded does the
// temporary file take that file's place, in one step. Until then an existing
// file keeps its old bytes, and on any failure the temporary file is removed
// again. A replaced file keeps its permissions (and its owner and group where
// the process may set them).
//
// Refused, with nothing created: a path that names anything but a regular
// file or a missing name (a folder, a FIFO, a device), and an existing file
// the process may not write. When the folder does not let the process create
// files but the file itself is writable, the bytes are written into the file
// in place instead, as a plain write would; every step is still checked, but
// a failure part way then leaves the file cut short.
#ifndef QEV_FILE_COMMIT_H
#define QEV_FILE_COMMIT_H

#include <stddef.h>
#include <stdio.h>

// The stream's buffer size. With the C library's default of a few KB, the
// system call every few records cost more on a large model than writing the
// whole file in one call does.
enum { QEV_WRITE_BUFFER = 65536 };

struct PendingFile {
    PendingFile() {}
    ~PendingFile();  // an uncommitted file is abandoned: its temporary file goes
    PendingFile(const PendingFile&) = delete;
    PendingFile& operator=(const PendingFile&) = delete;

    FILE* stream = nullptr;
    bool failed = true;    // a write has failed; the file will not be committed
    bool inPlace = false;       // the stream writes the target itself
    bool targetExists = false;  // the commit replaces a file rather than adding one
    char* szTarget = nullptr;  // the file that will hold the bytes, links resolved
    char* szTemp = nullptr;    // the temporary file beside it
    char* buffer = nullptr;    // QEV_WRITE_BUFFER bytes on the heap
};

// Opens a pending file for targetPath. Returns false, with nothing created,
// when the path cannot be saved to (see above) or memory is short.
bool OpenPendingFile(const char* targetPath, PendingFile* file);

// Hands size bytes to the stream. A failure is remembered; later writes are
// then skipped.
void WritePending(PendingFile* file, const void* bytes, size_t size);

// Flushes the bytes to the disk, closes the file and, when nothing failed,
// puts it in place of the target. Returns true when the target now holds the
// whole file; otherwise the temporary file is gone and the target untouched
// (when written in place, it may be cut short).
bool CommitPendingFile(PendingFile* file);

// Closes the stream and removes the temporary file without committing.
void AbandonPendingFile(PendingFile* file);

#endif
