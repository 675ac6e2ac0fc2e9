#include "output_file.h"

#include <cerrno>
#include <cstring>

#include "file_commit.h"

bool WriteWholeFile(const std::string& path, const void* bytes, size_t size, std::string& error) {
    PendingFile file;
    if (!OpenPendingFile(path.c_str(), &file)) {
        error = path + ": cannot write: " + strerror(errno);
        return false;
    }
    WritePending(&file, bytes, size);
    if (!CommitPendingFile(&file)) {
        error = path + ": cannot write: " + strerror(errno);
        return false;
    }
    return true;
}

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    return WriteWholeFile(path, bytes.data(), bytes.size(), error);
}

std::string ReplaceExtension(const std::string& path, const std::string& newExtension) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? path.substr(0, dot) : path) + newExtension;
}
