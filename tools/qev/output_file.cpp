#include "output_file.h"

#include <cerrno>
#include <cstring>
#include <memory>

#include "file_commit.h"

bool WriteWholeFile(const std::string& path, const std::string& bytes, std::string& error) {
    if (path.size() + 32 > QEV_PENDING_PATH_BUFFER) {
        error = path + ": path too long";
        return false;
    }
    std::unique_ptr<PendingFile> file(new PendingFile());
    if (!OpenPendingFile(path.c_str(), file.get())) {
        error = path + ": cannot write: " + strerror(errno);
        return false;
    }
    WritePending(file.get(), bytes.data(), bytes.size());
    if (!CommitPendingFile(file.get())) {
        error = path + ": cannot write: " + strerror(errno);
        return false;
    }
    return true;
}

std::string ReplaceExtension(const std::string& path, const std::string& newExtension) {
    const size_t slash = path.find_last_of('/');
    const size_t dot = path.find_last_of('.');
    const bool hasExtension = dot != std::string::npos && dot > 0 && (slash == std::string::npos || dot > slash + 1);
    return (hasExtension ? path.substr(0, dot) : path) + newExtension;
}
