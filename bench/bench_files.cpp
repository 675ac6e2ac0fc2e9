#include "bench_files.h"

#include <dirent.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstdio>

namespace bench {

ScratchFolder::ScratchFolder() {
    const char* tmp = getenv("TMPDIR");
    std::string pattern = std::string(tmp && tmp[0] ? tmp : "/tmp") + "/qev_bench.XXXXXX";
    if (mkdtemp(&pattern[0])) path_ = pattern;
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    // Everything in it, the exporter's temporary files of a failed run included.
    if (DIR* folder = opendir(path_.c_str())) {
        while (const dirent* entry = readdir(folder)) {
            const std::string name = entry->d_name;
            if (name != "." && name != "..") std::remove((path_ + "/" + name).c_str());
        }
        closedir(folder);
    }
    rmdir(path_.c_str());
}

std::string ScratchFolder::File(const std::string& name) const { return path_ + "/" + name; }

Bytes ReadWholeFile(const std::string& path) {
    Bytes bytes;
    FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return bytes;
    unsigned char chunk[1 << 16];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof(chunk), file)) > 0) bytes.insert(bytes.end(), chunk, chunk + got);
    std::fclose(file);
    return bytes;
}

}  // namespace bench
