// The in-memory model: the data behind the model library's handles, and the
// C++ face that qevhost and the tests use to build and inspect a model.
//
// Items live in deques, so a handle or index stays valid while further meshes,
// vertices, triangles and bones are added.
#ifndef QEV_STANDIN_MODEL_H
#define QEV_STANDIN_MODEL_H

#include <cstdint>
#include <deque>
#include <memory>
#include <set>
#include <string>
#include <unordered_map>
#include <utility>

#include "msLib.h"

struct msVertexEx {
    int32_t boneIndices[3] = {-1, -1, -1};
    int32_t boneWeights[3] = {0, 0, 0};
    uint32_t extra[2] = {0, 0};
};

struct msVertex {
    float position[3] = {0, 0, 0};
    int32_t boneIndex = -1;
    msVertexEx ex;
};

struct msTriangleEx {
    float normals[3][3] = {};
    float texCoords[3][2] = {};
};

struct msTriangle {
    uint16_t vertexIndices[3] = {0, 0, 0};
    msTriangleEx ex;
};

namespace qevmodel {

// A deque that is only made when its first item comes. An empty deque already
// holds a map and a 512-byte block, so a mesh without vertices or triangles
// (a geostate mesh costs a file 4 bytes) would cost the model over a kilobyte
// and a file of empty meshes hundreds of times its size.
template <typename T>
class ItemDeque {
public:
    using value_type = T;
    using iterator = typename std::deque<T>::iterator;
    using const_iterator = typename std::deque<T>::const_iterator;

    ItemDeque() = default;
    ItemDeque(const ItemDeque& other) : items_(other.items_ ? new std::deque<T>(*other.items_) : nullptr) {}
    ItemDeque(ItemDeque&&) noexcept = default;
    ItemDeque& operator=(const ItemDeque& other) {
        if (this != &other) items_.reset(other.items_ ? new std::deque<T>(*other.items_) : nullptr);
        return *this;
    }
    ItemDeque& operator=(ItemDeque&&) noexcept = default;

    size_t size() const { return items_ ? items_->size() : 0; }
    bool empty() const { return size() == 0; }
    T& operator[](size_t index) { return (*items_)[index]; }
    const T& operator[](size_t index) const { return (*items_)[index]; }
    T& at(size_t index) { return Items().at(index); }
    const T& at(size_t index) const { return items_ ? items_->at(index) : Empty().at(index); }
    T& front() { return items_->front(); }
    const T& front() const { return items_->front(); }
    T& back() { return items_->back(); }
    const T& back() const { return items_->back(); }

    iterator begin() { return Items().begin(); }
    iterator end() { return Items().end(); }
    const_iterator begin() const { return items_ ? items_->cbegin() : Empty().cbegin(); }
    const_iterator end() const { return items_ ? items_->cend() : Empty().cend(); }

    template <typename... Args>
    T& emplace_back(Args&&... args) { return Items().emplace_back(std::forward<Args>(args)...); }
    void push_back(const T& item) { Items().push_back(item); }
    void resize(size_t count) {
        if (count > 0 || items_) Items().resize(count);
    }
    template <typename Iterator>
    void assign(Iterator first, Iterator last) {
        Items().assign(first, last);
    }
    void clear() { items_.reset(); }

private:
    std::deque<T>& Items() {
        if (!items_) items_.reset(new std::deque<T>());
        return *items_;
    }
    static const std::deque<T>& Empty() {
        static const std::deque<T> empty;
        return empty;
    }

    std::unique_ptr<std::deque<T>> items_;
};

}  // namespace qevmodel

struct msMesh {
    std::string name;
    qevmodel::ItemDeque<msVertex> vertices;
    qevmodel::ItemDeque<msTriangle> triangles;
};

struct msBone {
    std::string name;
    float position[3] = {0, 0, 0};
    float rotation[3] = {0, 0, 0};
    // Where the bone sits, so a rename through the C API keeps the model's
    // name index current.
    msModel* owner = nullptr;
    int32_t index = -1;
};

struct msModel {
    msModel() = default;
    msModel(const msModel& other);
    msModel& operator=(const msModel& other);

    std::deque<msMesh> meshes;
    std::deque<msBone> bones;
    int destroyCalls = 0;

    // Name -> indices of the bones with that name; the lowest is the one found.
    std::unordered_map<std::string, std::set<int32_t>> boneIndexByName;
};

namespace qevmodel {

// Building a model from C++ (the same defaults as the C API).
msMesh& AddMesh(msModel& model, const std::string& name);
msBone& AddBone(msModel& model, const std::string& name);
void RenameBone(msModel& model, int32_t index, const std::string& name);

// Byte-exact comparison of everything a model holds (floats by their bits);
// destroyCalls is not compared.
bool SameContent(const msModel& a, const msModel& b);

// How the C API answers its callers. By default it forgives: a null handle or
// an index that names nothing is ignored (or yields a null handle) and every
// add succeeds, so qevhost and a faulty caller never crash. The tests and the
// fuzzer make it behave like a demanding host instead: strict, it aborts the
// process on a null handle or an out-of-range index, as a real host may crash;
// and it can refuse chosen calls, as a host out of memory or at a cap does.
enum class HostCall {
    kAddMesh, kAddVertex, kAddTriangle, kAddBone,  // refused: -1
    kGetMesh, kGetVertex, kGetVertexEx, kGetTriangle, kGetTriangleEx, kGetBone,  // refused: null
    kMeshCount, kVertexCount, kTriangleCount, kBoneCount,  // refused: -1
};
constexpr int kHostCallKinds = 14;

struct HostRules {
    bool strict = false;
    // The call of each kind, counted from 1, that is refused; 0: none.
    int64_t refuseCall[kHostCallKinds] = {};
    // A mesh refuses vertices or triangles beyond these counts; -1: no cap.
    int32_t maxVerticesPerMesh = -1;
    int32_t maxTrianglesPerMesh = -1;

    HostRules& Refuse(HostCall kind, int64_t nth) {
        refuseCall[static_cast<int>(kind)] = nth;
        return *this;
    }
};

// Sets the rules for the whole process and restarts the call counts.
void SetHostRules(const HostRules& rules);
const HostRules& CurrentHostRules();
// Calls of a kind since the rules were last set, refused ones included.
int64_t HostCallsMade(HostCall kind);

// Rules for one scope; the ones before come back when it ends.
class ScopedHostRules {
public:
    explicit ScopedHostRules(const HostRules& rules) : before_(CurrentHostRules()) { SetHostRules(rules); }
    ~ScopedHostRules() { SetHostRules(before_); }
    ScopedHostRules(const ScopedHostRules&) = delete;
    ScopedHostRules& operator=(const ScopedHostRules&) = delete;

private:
    HostRules before_;
};

}  // namespace qevmodel

#endif
