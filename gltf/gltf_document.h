// Builds the tinygltf model of a QEV model; model_to_gltf.cpp serialises it.
#ifndef QEV_GLTF_DOCUMENT_H
#define QEV_GLTF_DOCUMENT_H

#include <tiny_gltf.h>

#include "gltf_options.h"
#include "model.h"

namespace gltfqev {

// The document with its buffer's bytes in buffers[0].data.
void BuildGltfDocument(const msModel& model, const GltfOptions& options, tinygltf::Model& document);

// Where the buffer's bytes go, in order, as the document is built.
class BinSink {
public:
    virtual ~BinSink() = default;
    virtual void Append(const unsigned char* bytes, size_t size) = 0;
    // False for a sink that only lays the buffer out: its columns are then
    // measured but not filled, and Append is not called.
    virtual bool WantsBytes() const = 0;
};

// The document without bytes in buffers[0] (they go to sink); returns the
// buffer's length, 0 when there is no buffer. The same model and options give
// the same bytes and layout every time, so a first build can lay out the
// document and a second one stream its bytes.
size_t BuildGltfDocument(const msModel& model, const GltfOptions& options, tinygltf::Model& document, BinSink& sink);

}  // namespace gltfqev

#endif
