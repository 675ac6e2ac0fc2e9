// Reading glTF accessors from a file that may be broken: every index, type,
// component type and byte range is checked before a value is read, and a
// fault is reported with the JSON pointer of the place that named it.
#ifndef QEV_GLTF_ACCESSOR_READER_H
#define QEV_GLTF_ACCESSOR_READER_H

#include <cstdint>
#include <cstring>
#include <initializer_list>
#include <stdexcept>
#include <string>
#include <vector>

#include <tiny_gltf.h>

namespace gltfqev {

// A fault in the file: where (a JSON pointer) and what. Thrown only inside
// this library; GltfToModel turns it into its error line.
struct GltfFault {
    std::string pointer;
    std::string message;
};

[[noreturn]] void Fail(const std::string& pointer, const std::string& message);

// The bytes of one buffer: its own data, or for a .glb read from its file
// the BIN chunk as mapped from the file, so that it is never copied.
struct BufferBytes {
    const unsigned char* data = nullptr;
    size_t size = 0;
};
using DocumentBuffers = std::vector<BufferBytes>;

// Every buffer of the document as tinygltf holds it.
DocumentBuffers BuffersOf(const tinygltf::Model& document);

class AccessorValues {
public:
    size_t count = 0;
    int components = 0;
    int componentType = 0;
    bool normalized = false;

    // The value as glTF means it: normalised integers scaled to [0, 1] or [-1, 1].
    double Float(size_t element, int component) const {
        if (componentType == TINYGLTF_COMPONENT_TYPE_FLOAT) return FloatComponent(element, component);
        return ConvertedFloat(element, component);
    }
    // Integer components as they are stored.
    uint32_t Unsigned(size_t element, int component) const {
        const unsigned char* p = At(element, component);
        switch (componentSize_) {
        case 1: return p[0];
        case 2: return (uint32_t)(p[0] | (p[1] << 8));
        default: return Word(p);
        }
    }
    // A FLOAT component, read as stored.
    float FloatComponent(size_t element, int component) const {
        const uint32_t bits = Word(At(element, component));
        float value;
        memcpy(&value, &bits, sizeof(value));
        return value;
    }
    // Two UNSIGNED_SHORT components from `component` on as one 32-bit word,
    // the first its low half: the form qev gives 32-bit values in glTF.
    uint32_t WordOfShorts(size_t element, int component) const { return Word(At(element, component)); }

private:
    friend AccessorValues OpenAccessor(const tinygltf::Model&, const DocumentBuffers&, int, const std::string&,
                                       std::initializer_list<int>, std::initializer_list<int>);
    const unsigned char* At(size_t element, int component) const {
        return base_ + element * stride_ + (size_t)component * componentSize_;
    }
    static uint32_t Word(const unsigned char* p) {
        return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
    }
    double ConvertedFloat(size_t element, int component) const;
    const unsigned char* base_ = nullptr;
    size_t stride_ = 0;
    size_t componentSize_ = 0;
};

// The accessor with this index, named at where; fails unless its type is one of
// types and its component type one of componentTypes, and every element lies
// inside its buffer view and the view inside its buffer.
AccessorValues OpenAccessor(const tinygltf::Model& document, const DocumentBuffers& buffers, int index, const std::string& where,
                            std::initializer_list<int> types, std::initializer_list<int> componentTypes);

}  // namespace gltfqev

#endif
