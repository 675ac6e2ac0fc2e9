// What the save needs from the system, one implementation per platform
// (file_commit_posix.cpp, file_commit_win32.cpp). Paths returned here are on
// the heap (malloc) and belong to the caller.
#ifndef QEV_FILE_COMMIT_PLATFORM_H
#define QEV_FILE_COMMIT_PLATFORM_H

#include <stddef.h>
#include <stdio.h>

namespace filecommit {

// A copy of length bytes of text with a terminator, on the heap; null when
// memory is short.
char* CopyOf(const char* text, size_t length);

enum TargetKind {
    kTargetMissing,        // nothing of that name yet: the save creates it
    kTargetWritableFile,   // a regular file the process may write
    kTargetRefused,        // anything else: a folder, a FIFO, a device, a read-only file
};

enum TempOutcome {
    kTempCreated,
    kFolderRefusesNewFiles,  // the folder exists but the process may not create files there
    kTempFailed,
};

// The file a plain write to path would write: symbolic links followed to
// their end (a dangling link gives the missing name it points to). Null when
// the links cannot be followed.
char* ResolveTarget(const char* path);

TargetKind InspectTarget(const char* target);

// Creates a new file of a short fixed-length name in target's folder, only
// if no file of that name exists, and opens it for binary writing. An
// existing target's permissions (and owner and group where the process may
// set them) are given to the new file before any byte is written.
TempOutcome CreateTempBeside(const char* target, bool targetExists, char** tempPath, FILE** stream);

// Opens the existing regular file target for writing from its start, cut to
// nothing. Null when it cannot, or target is not a regular file any more.
FILE* OpenInPlace(const char* target);

// Asks the system to put the stream's written bytes on the disk (after fflush).
bool FlushToDisk(FILE* stream);

// Puts the closed temporary file in place of target in one step.
bool PutInPlace(const char* tempPath, const char* target, bool targetExists);

bool RemoveFile(const char* path);

}  // namespace filecommit

#endif
