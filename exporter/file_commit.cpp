#include "file_commit.h"

#include <errno.h>
#include <fcntl.h>
#include <stdio.h>
#include <string.h>

#ifdef _WIN32
#include <io.h>
#include <process.h>
#include <sys/stat.h>
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace {

// A stale temporary file of an interrupted run may hold a name; a few more
// tries get past it without ever touching it.
const int kTempNameAttempts = 16;

unsigned ProcessId() {
#ifdef _WIN32
    return (unsigned)_getpid();
#else
    return (unsigned)getpid();
#endif
}

// Creates the file only if no file of that name exists, so nothing but our
// own new file is ever opened for writing. Returns a descriptor or -1.
int CreateExclusive(const char* path) {
#ifdef _WIN32
    return _open(path, _O_CREAT | _O_EXCL | _O_WRONLY | _O_BINARY, _S_IREAD | _S_IWRITE);
#else
    int flags = O_CREAT | O_EXCL | O_WRONLY;
#ifdef O_CLOEXEC
    flags |= O_CLOEXEC;
#endif
    return open(path, flags, 0666);
#endif
}

FILE* StreamOn(int descriptor) {
#ifdef _WIN32
    return _fdopen(descriptor, "wb");
#else
    return fdopen(descriptor, "wb");
#endif
}

void CloseDescriptor(int descriptor) {
#ifdef _WIN32
    _close(descriptor);
#else
    close(descriptor);
#endif
}

// Puts source in place of target in one step; an existing target is replaced.
bool ReplaceFile(const char* source, const char* target) {
#ifdef _WIN32
    return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING) != 0;
#else
    return rename(source, target) == 0;
#endif
}

}  // namespace

bool OpenPendingFile(const char* targetPath, PendingFile* file) {
    file->stream = nullptr;
    file->failed = true;
    file->szTarget[0] = '\0';
    file->szTemp[0] = '\0';
    if (!targetPath || !targetPath[0]) return false;

    const size_t targetLength = strlen(targetPath);
    if (targetLength >= sizeof(file->szTarget)) return false;
    memcpy(file->szTarget, targetPath, targetLength + 1);

    const unsigned pid = ProcessId();
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        // Beside the target, so the final rename stays within one folder and
        // one filesystem.
        const int written = snprintf(file->szTemp, sizeof(file->szTemp), "%s.%u-%d.tmp", targetPath, pid, attempt);
        if (written < 0 || (size_t)written >= sizeof(file->szTemp)) return false;

        const int descriptor = CreateExclusive(file->szTemp);
        if (descriptor < 0) {
            if (errno == EEXIST) continue;
            return false;  // no such folder, no permission: the path cannot be opened
        }
        file->stream = StreamOn(descriptor);
        if (!file->stream) {
            CloseDescriptor(descriptor);
            remove(file->szTemp);
            return false;
        }
        setvbuf(file->stream, file->buffer, _IOFBF, sizeof(file->buffer));
        file->failed = false;
        return true;
    }
    return false;
}

void WritePending(PendingFile* file, const void* bytes, size_t size) {
    if (file->failed || size == 0) return;
    if (fwrite(bytes, 1, size, file->stream) != size) file->failed = true;
}

bool CommitPendingFile(PendingFile* file) {
    if (!file->stream) return false;
    bool complete = !file->failed;
    if (fflush(file->stream) != 0 || ferror(file->stream)) complete = false;
    if (fclose(file->stream) != 0) complete = false;
    file->stream = nullptr;
    if (complete && ReplaceFile(file->szTemp, file->szTarget)) return true;
    remove(file->szTemp);
    return false;
}
