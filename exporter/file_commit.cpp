#include "file_commit.h"

#include <stdlib.h>
#include <string.h>

#include "file_commit_platform.h"

namespace {

void ReleaseMemory(PendingFile* file) {
    free(file->szTarget);
    free(file->szTemp);
    free(file->buffer);
    file->szTarget = nullptr;
    file->szTemp = nullptr;
    file->buffer = nullptr;
}

}  // namespace

char* filecommit::CopyOf(const char* text, size_t length) {
    char* copy = static_cast<char*>(malloc(length + 1));
    if (!copy) return nullptr;
    memcpy(copy, text, length);
    copy[length] = '\0';
    return copy;
}

PendingFile::~PendingFile() { AbandonPendingFile(this); }

bool OpenPendingFile(const char* targetPath, PendingFile* file) {
    AbandonPendingFile(file);
    if (!targetPath || !targetPath[0]) return false;

    // Everything that can fail without touching the disk comes first, so a
    // refusal leaves nothing behind.
    file->buffer = static_cast<char*>(malloc(QEV_WRITE_BUFFER));
    if (file->buffer) file->szTarget = filecommit::ResolveTarget(targetPath);
    if (!file->szTarget) {
        ReleaseMemory(file);
        return false;
    }
    const filecommit::TargetKind kind = filecommit::InspectTarget(file->szTarget);
    if (kind == filecommit::kTargetRefused) {
        ReleaseMemory(file);
        return false;
    }
    file->targetExists = kind == filecommit::kTargetWritableFile;

    const filecommit::TempOutcome outcome =
        filecommit::CreateTempBeside(file->szTarget, file->targetExists, &file->szTemp, &file->stream);
    if (outcome == filecommit::kFolderRefusesNewFiles && file->targetExists) {
        // A plain write would still succeed here; so does the save, without
        // the protection of the temporary file.
        file->stream = filecommit::OpenInPlace(file->szTarget);
        file->inPlace = file->stream != nullptr;
    }
    if (!file->stream) {
        ReleaseMemory(file);
        return false;
    }
    setvbuf(file->stream, file->buffer, _IOFBF, QEV_WRITE_BUFFER);
    file->failed = false;
    return true;
}

void WritePending(PendingFile* file, const void* bytes, size_t size) {
    if (file->failed || size == 0) return;
    if (fwrite(bytes, 1, size, file->stream) != size) file->failed = true;
}

bool CommitPendingFile(PendingFile* file) {
    if (!file->stream) return false;
    bool complete = !file->failed;
    if (fflush(file->stream) != 0 || ferror(file->stream)) complete = false;
    // The bytes reach the disk before the name does: after a power loss the
    // target holds either its old bytes or all of the new ones.
    if (complete && !filecommit::FlushToDisk(file->stream)) complete = false;
    if (fclose(file->stream) != 0) complete = false;
    file->stream = nullptr;

    bool placed = complete;
    if (!file->inPlace) {
        if (complete) placed = filecommit::PutInPlace(file->szTemp, file->szTarget, file->targetExists);
        if (!placed) filecommit::RemoveFile(file->szTemp);
    }
    file->failed = true;
    file->inPlace = false;
    ReleaseMemory(file);
    return placed;
}

void AbandonPendingFile(PendingFile* file) {
    if (file->stream) {
        fclose(file->stream);
        file->stream = nullptr;
        if (!file->inPlace) filecommit::RemoveFile(file->szTemp);
    }
    file->failed = true;
    file->inPlace = false;
    file->targetExists = false;
    ReleaseMemory(file);
}
