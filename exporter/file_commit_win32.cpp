// The save on Windows: the temporary file from GetTempFileNameA, the bytes
// flushed with FlushFileBuffers, and ReplaceFileA for an existing target so
// that it keeps its attributes and access rights.
#include <fcntl.h>
#include <io.h>
#include <stdlib.h>
#include <string.h>
#include <windows.h>

#include "file_commit_platform.h"

namespace filecommit {
namespace {

// The folder part of path without its last separator ("." for none), as
// GetTempFileNameA takes it.
char* FolderOf(const char* path) {
    size_t length = 0;
    for (size_t i = 0; path[i]; ++i) {
        if (path[i] == '\\' || path[i] == '/') length = i == 0 || path[i - 1] == ':' ? i + 1 : i;
        else if (path[i] == ':' && i == 1) length = 2;
    }
    return length ? CopyOf(path, length) : CopyOf(".", 1);
}

// A device ("NUL", "COM1", a pipe) answers GetFileAttributesA like a file.
bool IsDiskFile(const char* path) {
    HANDLE handle = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return false;
    const bool disk = GetFileType(handle) == FILE_TYPE_DISK;
    CloseHandle(handle);
    return disk;
}

FILE* StreamOn(int descriptor) {
    if (descriptor < 0) return nullptr;
    FILE* stream = _fdopen(descriptor, "wb");
    if (!stream) _close(descriptor);
    return stream;
}

}  // namespace

// Links are left to the system: Windows saves through them itself.
char* ResolveTarget(const char* path) { return CopyOf(path, strlen(path)); }

TargetKind InspectTarget(const char* target) {
    const DWORD attributes = GetFileAttributesA(target);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError() == ERROR_FILE_NOT_FOUND ? kTargetMissing : kTargetRefused;
    if (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY)) return kTargetRefused;
    return IsDiskFile(target) ? kTargetWritableFile : kTargetRefused;
}

TempOutcome CreateTempBeside(const char* target, bool, char** tempPath, FILE** stream) {
    *tempPath = nullptr;
    *stream = nullptr;
    char* folder = FolderOf(target);
    char* path = static_cast<char*>(malloc(MAX_PATH));
    if (!folder || !path) {
        free(folder);
        free(path);
        return kTempFailed;
    }
    // Creates "<folder>\qevXXXX.tmp" only where no file of that name exists:
    // a short name of one length, so paths near MAX_PATH still work.
    const UINT created = GetTempFileNameA(folder, "qev", 0, path);
    const DWORD error = GetLastError();
    free(folder);
    if (created == 0) {
        free(path);
        return error == ERROR_ACCESS_DENIED ? kFolderRefusesNewFiles : kTempFailed;
    }
    *stream = StreamOn(_open(path, _O_WRONLY | _O_BINARY | _O_TRUNC));
    if (!*stream) {
        DeleteFileA(path);
        free(path);
        return kTempFailed;
    }
    *tempPath = path;
    return kTempCreated;
}

FILE* OpenInPlace(const char* target) { return StreamOn(_open(target, _O_WRONLY | _O_BINARY | _O_TRUNC)); }

bool FlushToDisk(FILE* stream) {
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    return handle != INVALID_HANDLE_VALUE && FlushFileBuffers(handle) != 0;
}

bool PutInPlace(const char* tempPath, const char* target, bool targetExists) {
    if (targetExists) {
        if (ReplaceFileA(target, tempPath, nullptr, REPLACEFILE_IGNORE_MERGE_ERRORS, nullptr, nullptr)) return true;
        // Only this failure has already taken the old file away; the new one
        // still has its temporary name and can take the place alone.
        if (GetLastError() != ERROR_UNABLE_TO_MOVE_REPLACEMENT) return false;
    }
    return MoveFileExA(tempPath, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != 0;
}

bool RemoveFile(const char* path) { return path && DeleteFileA(path) != 0; }

}  // namespace filecommit
