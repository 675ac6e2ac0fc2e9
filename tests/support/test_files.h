// Files and folders the tests write, read and clean up again.
#ifndef QEV_TEST_TEST_FILES_H
#define QEV_TEST_TEST_FILES_H

#include <string>
#include <vector>

#include "byte_encoding.h"

namespace testsupport {

bool FileExists(const std::string& path);
Bytes ReadFile(const std::string& path);  // empty when the file cannot be read
// False when the file cannot be opened or not every byte reaches it.
bool WriteFile(const std::string& path, const Bytes& bytes);

// A file of its own for one test, removed again when the object goes. Its
// name carries the test's name and the process id, so parallel test programs
// never share one.
class TempFile {
public:
    explicit TempFile(const Bytes& bytes);
    ~TempFile();
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const char* Path() const { return path_.c_str(); }

private:
    std::string path_;
};

// A fresh folder, removed with its contents when the object goes.
class ScratchFolder {
public:
    ScratchFolder();  // throws when no folder can be made
    ~ScratchFolder();
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }
    // What the folder holds, sorted: a temporary file left behind shows here.
    std::vector<std::string> Names() const;

private:
    std::string path_;
};

}  // namespace testsupport

#endif
