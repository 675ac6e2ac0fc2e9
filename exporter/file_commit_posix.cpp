// The save on POSIX systems: links followed by hand, permissions carried over
// with fchown/fchmod, fsync before and after the rename.
#include <errno.h>
#include <fcntl.h>
#include <stdlib.h>
#include <string.h>
#include <sys/stat.h>
#include <unistd.h>

#include "file_commit_platform.h"

namespace filecommit {
namespace {

// As many links as the system itself follows before it gives up (ELOOP).
const int kMaxLinkHops = 40;

// A stale temporary file of an interrupted run may hold a name; a few more
// tries get past it without ever touching it.
const int kTempNameAttempts = 16;

// The length of path's folder part including its last '/', 0 for none.
size_t FolderLength(const char* path) {
    const char* slash = strrchr(path, '/');
    return slash ? size_t(slash - path) + 1 : 0;
}

// Where the link at linkPath points: its contents, read relative to the
// link's own folder unless they are absolute.
char* FollowLink(const char* linkPath, const struct stat& link) {
    const size_t capacity = link.st_size > 0 ? size_t(link.st_size) + 1 : 4096;
    char* contents = static_cast<char*>(malloc(capacity));
    if (!contents) return nullptr;
    const ssize_t length = readlink(linkPath, contents, capacity);
    if (length <= 0 || size_t(length) >= capacity) {
        free(contents);
        return nullptr;
    }
    const size_t folder = contents[0] == '/' ? 0 : FolderLength(linkPath);
    char* next = static_cast<char*>(malloc(folder + size_t(length) + 1));
    if (next) {
        memcpy(next, linkPath, folder);
        memcpy(next + folder, contents, size_t(length));
        next[folder + size_t(length)] = '\0';
    }
    free(contents);
    return next;
}

int OpenFlags(int flags) {
#ifdef O_CLOEXEC
    flags |= O_CLOEXEC;
#endif
    return flags;
}

// The new file takes the old one's owner and group where the process may
// set them (the mode after that: a change of owner clears set-id bits).
void CopyPermissions(int descriptor, const struct stat& old) {
    if (fchown(descriptor, old.st_uid, old.st_gid) != 0 && fchown(descriptor, (uid_t)-1, old.st_gid) != 0) {
        // Neither is ours to give: the new file keeps the ones it was made with.
    }
    if (fchmod(descriptor, old.st_mode & 07777) != 0) {
        // It stays readable by its owner only, which gives nothing away.
    }
}

void SyncFolderOf(const char* path) {
    const size_t length = FolderLength(path);
    char* folder = length ? CopyOf(path, length) : CopyOf(".", 1);
    if (!folder) return;
    int flags = O_RDONLY;
#ifdef O_DIRECTORY
    flags |= O_DIRECTORY;
#endif
    const int descriptor = open(folder, OpenFlags(flags));
    free(folder);
    if (descriptor < 0) return;
    // Some filesystems cannot sync a folder; the rename has happened either way.
    fsync(descriptor);
    close(descriptor);
}

}  // namespace

char* ResolveTarget(const char* path) {
    char* current = CopyOf(path, strlen(path));
    for (int hop = 0; current && hop <= kMaxLinkHops; ++hop) {
        struct stat info;
        if (lstat(current, &info) != 0 || !S_ISLNK(info.st_mode)) return current;
        char* next = FollowLink(current, info);
        free(current);
        current = next;
    }
    free(current);
    return nullptr;
}

TargetKind InspectTarget(const char* target) {
    struct stat info;
    if (lstat(target, &info) != 0) return errno == ENOENT ? kTargetMissing : kTargetRefused;
    if (!S_ISREG(info.st_mode)) return kTargetRefused;
    // As the process itself would be judged when opening it for writing.
    if (faccessat(AT_FDCWD, target, W_OK, AT_EACCESS) != 0) return kTargetRefused;
    return kTargetWritableFile;
}

TempOutcome CreateTempBeside(const char* target, bool targetExists, char** tempPath, FILE** stream) {
    *tempPath = nullptr;
    *stream = nullptr;
    struct stat old;
    if (targetExists && stat(target, &old) != 0) return kTempFailed;

    // Short and of one length whatever the target's name, so that a name
    // near the system's limit still leaves room for it.
    const size_t folder = FolderLength(target);
    char name[32];
    char* path = static_cast<char*>(malloc(folder + sizeof(name)));
    if (!path) return kTempFailed;
    memcpy(path, target, folder);

    const unsigned pid = unsigned(getpid());
    for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
        snprintf(name, sizeof(name), ".qev-%08x-%02x.tmp", pid, unsigned(attempt));
        memcpy(path + folder, name, strlen(name) + 1);
        // Only the owner may read it until it has the target's permissions;
        // a new target gets what a plain create would give it.
        const int descriptor = open(path, OpenFlags(O_CREAT | O_EXCL | O_WRONLY), targetExists ? 0600 : 0666);
        if (descriptor < 0) {
            if (errno == EEXIST) continue;
            free(path);
            return errno == EACCES || errno == EPERM ? kFolderRefusesNewFiles : kTempFailed;
        }
        if (targetExists) CopyPermissions(descriptor, old);
        *stream = fdopen(descriptor, "wb");
        if (!*stream) {
            close(descriptor);
            unlink(path);
            free(path);
            return kTempFailed;
        }
        *tempPath = path;
        return kTempCreated;
    }
    free(path);
    return kTempFailed;
}

FILE* OpenInPlace(const char* target) {
    // Non-blocking and without following a link, so that a FIFO or a link
    // that took the file's place since it was inspected cannot hold us up.
    const int descriptor = open(target, OpenFlags(O_WRONLY | O_NONBLOCK | O_NOFOLLOW));
    if (descriptor < 0) return nullptr;
    struct stat info;
    FILE* stream = nullptr;
    if (fstat(descriptor, &info) == 0 && S_ISREG(info.st_mode) &&
        fcntl(descriptor, F_SETFL, fcntl(descriptor, F_GETFL) & ~O_NONBLOCK) == 0 && ftruncate(descriptor, 0) == 0)
        stream = fdopen(descriptor, "wb");
    if (!stream) close(descriptor);
    return stream;
}

bool FlushToDisk(FILE* stream) { return fsync(fileno(stream)) == 0; }

bool PutInPlace(const char* tempPath, const char* target, bool) {
    if (rename(tempPath, target) != 0) return false;
    SyncFolderOf(target);
    return true;
}

bool RemoveFile(const char* path) { return path && unlink(path) == 0; }

}  // namespace filecommit
