#include "accessor_reader.h"

#include <algorithm>
#include <cstring>

namespace gltfqev {

void Fail(const std::string& pointer, const std::string& message) { throw GltfFault{pointer, message}; }

namespace {

size_t ComponentSize(int componentType) {
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return 1;
    case TINYGLTF_COMPONENT_TYPE_SHORT:
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return 2;
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT:
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return 4;
    default: return 0;
    }
}

int ComponentCount(int type) {
    switch (type) {
    case TINYGLTF_TYPE_SCALAR: return 1;
    case TINYGLTF_TYPE_VEC2: return 2;
    case TINYGLTF_TYPE_VEC3: return 3;
    case TINYGLTF_TYPE_VEC4: return 4;
    case TINYGLTF_TYPE_MAT2: return 4;
    case TINYGLTF_TYPE_MAT3: return 9;
    case TINYGLTF_TYPE_MAT4: return 16;
    default: return 0;
    }
}

std::string TypeName(int type) {
    switch (type) {
    case TINYGLTF_TYPE_SCALAR: return "SCALAR";
    case TINYGLTF_TYPE_VEC2: return "VEC2";
    case TINYGLTF_TYPE_VEC3: return "VEC3";
    case TINYGLTF_TYPE_VEC4: return "VEC4";
    case TINYGLTF_TYPE_MAT2: return "MAT2";
    case TINYGLTF_TYPE_MAT3: return "MAT3";
    case TINYGLTF_TYPE_MAT4: return "MAT4";
    default: return "type " + std::to_string(type);
    }
}

std::string ComponentTypeName(int componentType) {
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_BYTE: return "BYTE";
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return "UNSIGNED_BYTE";
    case TINYGLTF_COMPONENT_TYPE_SHORT: return "SHORT";
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: return "UNSIGNED_SHORT";
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_INT: return "UNSIGNED_INT";
    case TINYGLTF_COMPONENT_TYPE_FLOAT: return "FLOAT";
    default: return "component type " + std::to_string(componentType);
    }
}

template <typename Names>
std::string OneOf(std::initializer_list<int> values, Names name) {
    std::string text;
    for (int v : values) text += (text.empty() ? "" : " or ") + name(v);
    return text;
}

}  // namespace

const unsigned char* AccessorValues::At(size_t element, int component) const {
    return base_ + element * stride_ + (size_t)component * componentSize_;
}

double AccessorValues::Float(size_t element, int component) const {
    const unsigned char* p = At(element, component);
    switch (componentType) {
    case TINYGLTF_COMPONENT_TYPE_FLOAT: {
        float v;
        memcpy(&v, p, 4);
        return v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_BYTE: return normalized ? p[0] / 255.0 : p[0];
    case TINYGLTF_COMPONENT_TYPE_BYTE: {
        const double v = (int8_t)p[0];
        return normalized ? std::max(v / 127.0, -1.0) : v;
    }
    case TINYGLTF_COMPONENT_TYPE_UNSIGNED_SHORT: {
        const double v = (uint16_t)(p[0] | (p[1] << 8));
        return normalized ? v / 65535.0 : v;
    }
    case TINYGLTF_COMPONENT_TYPE_SHORT: {
        const double v = (int16_t)(uint16_t)(p[0] | (p[1] << 8));
        return normalized ? std::max(v / 32767.0, -1.0) : v;
    }
    default: return Unsigned(element, component);
    }
}

uint32_t AccessorValues::Unsigned(size_t element, int component) const {
    const unsigned char* p = At(element, component);
    switch (componentSize_) {
    case 1: return p[0];
    case 2: return (uint32_t)(p[0] | (p[1] << 8));
    default: return (uint32_t)p[0] | ((uint32_t)p[1] << 8) | ((uint32_t)p[2] << 16) | ((uint32_t)p[3] << 24);
    }
}

AccessorValues OpenAccessor(const tinygltf::Model& document, int index, const std::string& where,
                            std::initializer_list<int> types, std::initializer_list<int> componentTypes) {
    if (index < 0 || (size_t)index >= document.accessors.size())
        Fail(where, "accessor " + std::to_string(index) + " does not exist");
    const tinygltf::Accessor& accessor = document.accessors[index];
    const std::string self = "/accessors/" + std::to_string(index);
    if (std::find(types.begin(), types.end(), accessor.type) == types.end())
        Fail(self, TypeName(accessor.type) + " where " + where + " needs " + OneOf(types, TypeName));
    if (std::find(componentTypes.begin(), componentTypes.end(), accessor.componentType) == componentTypes.end())
        Fail(self, ComponentTypeName(accessor.componentType) + " where " + where + " needs " +
                       OneOf(componentTypes, ComponentTypeName));
    if (accessor.sparse.isSparse) Fail(self + "/sparse", "sparse accessors cannot be read");

    AccessorValues values;
    values.count = accessor.count;
    values.components = ComponentCount(accessor.type);
    values.componentType = accessor.componentType;
    values.normalized = accessor.normalized;
    values.componentSize_ = ComponentSize(accessor.componentType);
    if (values.count == 0) return values;
    if (accessor.bufferView < 0 || (size_t)accessor.bufferView >= document.bufferViews.size())
        Fail(self + "/bufferView", "buffer view " + std::to_string(accessor.bufferView) + " does not exist");
    const tinygltf::BufferView& view = document.bufferViews[accessor.bufferView];
    const std::string viewPointer = "/bufferViews/" + std::to_string(accessor.bufferView);
    if (view.buffer < 0 || (size_t)view.buffer >= document.buffers.size())
        Fail(viewPointer + "/buffer", "buffer " + std::to_string(view.buffer) + " does not exist");
    const std::vector<unsigned char>& data = document.buffers[view.buffer].data;
    if (view.byteOffset > data.size() || view.byteLength > data.size() - view.byteOffset)
        Fail(viewPointer, "bytes " + std::to_string(view.byteOffset) + " to " +
                              std::to_string(view.byteOffset + view.byteLength) + " lie outside the " +
                              std::to_string(data.size()) + "-byte buffer");

    const size_t elementSize = values.componentSize_ * (size_t)values.components;
    const size_t stride = view.byteStride ? view.byteStride : elementSize;
    if (stride < elementSize)
        Fail(viewPointer + "/byteStride", "stride " + std::to_string(stride) + " is shorter than the " +
                                              std::to_string(elementSize) + "-byte elements of " + self);
    const size_t room = view.byteLength;
    if (accessor.byteOffset > room || elementSize > room - accessor.byteOffset ||
        (values.count - 1) > (room - accessor.byteOffset - elementSize) / stride)
        Fail(self, std::to_string(values.count) + " elements of " + std::to_string(elementSize) +
                       " bytes from byte " + std::to_string(accessor.byteOffset) + " do not fit in the " +
                       std::to_string(room) + "-byte " + viewPointer.substr(1));
    values.base_ = data.data() + view.byteOffset + accessor.byteOffset;
    values.stride_ = stride;
    return values;
}

}  // namespace gltfqev
