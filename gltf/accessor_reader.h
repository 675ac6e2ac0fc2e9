// Reading glTF accessors from a file that may be broken: every index, type,
// component type and byte range is checked before a value is read, and a
// fault is reported with the JSON pointer of the place that named it.
#ifndef QEV_GLTF_ACCESSOR_READER_H
#define QEV_GLTF_ACCESSOR_READER_H

#include <cstdint>
#include <initializer_list>
#include <stdexcept>
#include <string>

#include <tiny_gltf.h>

namespace gltfqev {

// A fault in the file: where (a JSON pointer) and what. Thrown only inside
// this library; GltfToModel turns it into its error line.
struct GltfFault {
    std::string pointer;
    std::string message;
};

[[noreturn]] void Fail(const std::string& pointer, const std::string& message);

class AccessorValues {
public:
    size_t count = 0;
    int components = 0;
    int componentType = 0;
    bool normalized = false;

    // The value as glTF means it: normalised integers scaled to [0, 1] or [-1, 1].
    double Float(size_t element, int component) const;
    // Integer components as they are stored.
    uint32_t Unsigned(size_t element, int component) const;

private:
    friend AccessorValues OpenAccessor(const tinygltf::Model&, int, const std::string&, std::initializer_list<int>,
                                       std::initializer_list<int>);
    const unsigned char* At(size_t element, int component) const;
    const unsigned char* base_ = nullptr;
    size_t stride_ = 0;
    size_t componentSize_ = 0;
};

// The accessor with this index, named at where; fails unless its type is one of
// types and its component type one of componentTypes, and every element lies
// inside its buffer view and the view inside its buffer.
AccessorValues OpenAccessor(const tinygltf::Model& document, int index, const std::string& where,
                            std::initializer_list<int> types, std::initializer_list<int> componentTypes);

}  // namespace gltfqev

#endif
