#include "import_check.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "import_command.h"
#include "model.h"

namespace qevfuzz {
namespace {

// The import takes a path, so the input goes to one file per process that is
// rewritten for every run: an anonymous in-memory file where the kernel has
// them (no disk traffic at tens of thousands of runs a second), else a
// temporary file.
class InputFile {
public:
    InputFile() {
#ifdef MFD_CLOEXEC
        fd_ = memfd_create("qev-fuzz-input", MFD_CLOEXEC);
        if (fd_ >= 0) {
            snprintf(path_, sizeof(path_), "/proc/self/fd/%d", fd_);
            return;
        }
#endif
        const char* dir = getenv("TMPDIR");
        snprintf(path_, sizeof(path_), "%s/qev-fuzz-input-XXXXXX", dir && *dir ? dir : "/tmp");
        fd_ = mkstemp(path_);
        unlinkAtExit_ = fd_ >= 0;
    }
    ~InputFile() {
        if (fd_ >= 0) close(fd_);
        if (unlinkAtExit_) unlink(path_);
    }

    // The path, or nullptr when the bytes could not be put in place.
    const char* Hold(const uint8_t* data, size_t size) {
        if (fd_ < 0 || ftruncate(fd_, 0) != 0) return nullptr;
        size_t done = 0;
        while (done < size) {
            const ssize_t n = pwrite(fd_, data + done, size - done, static_cast<off_t>(done));
            if (n <= 0) return nullptr;
            done += static_cast<size_t>(n);
        }
        return path_;
    }

private:
    int fd_ = -1;
    bool unlinkAtExit_ = false;
    char path_[256] = {};
};

// A model as a user has it before the import: meshes with vertices that point
// at its bones, and bones whose names a file may well reuse ("root", "").
msModel ModelWithContent() {
    msModel model;
    msMesh& body = qevmodel::AddMesh(model, "body");
    for (int i = 0; i < 3; ++i) {
        msVertex& v = body.vertices.emplace_back();
        v.position[0] = float(i);
        v.boneIndex = i % 2;
        v.ex.boneIndices[0] = 1;
        v.ex.boneWeights[0] = 100;
    }
    msTriangle& t = body.triangles.emplace_back();
    t.vertexIndices[1] = 1;
    t.vertexIndices[2] = 2;
    qevmodel::AddMesh(model, "group_0");
    const char* boneNames[] = {"root", "", "tip"};
    for (const char* name : boneNames) {
        msBone& bone = qevmodel::AddBone(model, name);
        bone.position[1] = 2.0f;
    }
    return model;
}

uint32_t Fnv1a(const uint8_t* data, size_t size) {
    uint32_t hash = 2166136261u;
    for (size_t i = 0; i < size; ++i) hash = (hash ^ data[i]) * 16777619u;
    return hash;
}

// The smallest number of file bytes the added items can have come from:
// a mesh needs at least a count, a vertex 48 bytes, a triangle 66, a bone its
// length byte; all of them come after version and numMeshes.
size_t LeastBytesBehind(const msModel& before, const msModel& after) {
    size_t bytes = 0;
    for (size_t m = before.meshes.size(); m < after.meshes.size(); ++m) {
        bytes += 4 + 48 * after.meshes[m].vertices.size() + 66 * after.meshes[m].triangles.size();
    }
    bytes += after.bones.size() - before.bones.size();
    return bytes == 0 ? 0 : 8 + bytes;
}

std::string Check(const msModel& before, const msModel& after, size_t size) {
    if (after.meshes.size() < before.meshes.size() || after.bones.size() < before.bones.size())
        return "the import removed meshes or bones";
    msModel kept;  // only the items that were there before, not the whole import
    kept.meshes.assign(after.meshes.begin(), after.meshes.begin() + std::ptrdiff_t(before.meshes.size()));
    kept.bones.assign(after.bones.begin(), after.bones.begin() + std::ptrdiff_t(before.bones.size()));
    if (!qevmodel::SameContent(kept, before)) return "the import changed meshes or bones that were there before";
    if (LeastBytesBehind(before, after) > size) return "the import added more than the input holds";
    return "";
}

}  // namespace

const char* HoldInput(const uint8_t* data, size_t size) {
    static InputFile input;
    return input.Hold(data, size);
}

std::string ImportAndCheck(const uint8_t* data, size_t size, StartModel start) {
    const char* path = HoldInput(data, size);
    if (!path) return "cannot hold the input in a file";

    static const msModel empty;
    static const msModel withContent = ModelWithContent();
    const uint32_t hash = Fnv1a(data, size);
    if (start == StartModel::kByHash) start = (hash & 1) ? StartModel::kWithContent : StartModel::kEmpty;
    const msModel& before = start == StartModel::kWithContent ? withContent : empty;

    // A strict host: an unchecked host call aborts here, as a real host may
    // crash. Half the inputs also meet a host that refuses one of the calls an
    // import makes, chosen by the hash, so every place a refusal can reach is
    // explored; the refusal must then end the import with -1.
    static const qevmodel::HostCall kImportCalls[] = {
        qevmodel::HostCall::kAddMesh,     qevmodel::HostCall::kAddVertex,   qevmodel::HostCall::kAddTriangle,
        qevmodel::HostCall::kAddBone,     qevmodel::HostCall::kGetMesh,     qevmodel::HostCall::kGetVertex,
        qevmodel::HostCall::kGetVertexEx, qevmodel::HostCall::kGetTriangle, qevmodel::HostCall::kGetTriangleEx,
        qevmodel::HostCall::kGetBone,     qevmodel::HostCall::kVertexCount};
    qevmodel::HostRules rules;
    rules.strict = true;
    const bool refuses = (hash >> 1) & 1;
    const qevmodel::HostCall refused = kImportCalls[(hash >> 2) % (sizeof(kImportCalls) / sizeof(kImportCalls[0]))];
    const int64_t nth = int64_t((hash >> 8) % 16) + 1;
    if (refuses) rules.Refuse(refused, nth);
    qevmodel::ScopedHostRules hostRules(rules);

    msModel model = before;
    const int result = ImportQevFile(&model, path);
    const bool refusalMet = refuses && qevmodel::HostCallsMade(refused) >= nth;
    if (refusalMet && result != -1) return "the import after a refused host call did not return -1";
    if (!refusalMet && result != 0) return "the import of an existing file returned -1";
    if (refusalMet && qevmodel::HostCallsMade(refused) != nth) return "the import went on after a refused host call";
    if (model.destroyCalls != before.destroyCalls) return "the import called msModel_Destroy";
    return Check(before, model, size);
}

}  // namespace qevfuzz
