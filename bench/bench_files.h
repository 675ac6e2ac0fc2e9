// Files for the benchmarks: a private scratch folder and whole-file helpers.
#ifndef QEV_BENCH_FILES_H
#define QEV_BENCH_FILES_H

#include <string>
#include <vector>

namespace bench {

using Bytes = std::vector<unsigned char>;

// A new folder under $TMPDIR (or /tmp), removed with its files when the object goes.
class ScratchFolder {
public:
    ScratchFolder();
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    bool ok() const { return !path_.empty(); }
    std::string File(const std::string& name) const;

private:
    std::string path_;
};

// The whole file, or an empty vector when it cannot be read.
Bytes ReadWholeFile(const std::string& path);

}  // namespace bench

#endif
