// libFuzzer target for reading glTF: any bytes as a .glb or .gltf held in
// memory. Reading must fail cleanly or give a model; a model it gives must
// survive qev's own glTF and come back the same (writer and reader agree on
// every value a model can hold).
#include <cstdio>
#include <cstdlib>

#include "gltf_to_model.h"
#include "model_to_gltf.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::vector<unsigned char> bytes(data, data + size);
    msModel model;
    std::vector<std::string> warnings;
    std::string error;
    if (!GltfToModel(bytes, "", GltfOptions(), model, warnings, error)) {
        if (error.empty() || error.find('\n') != std::string::npos) {
            fprintf(stderr, "a failure without one line of reason: '%s'\n", error.c_str());
            abort();
        }
        if (!model.meshes.empty() || !model.bones.empty()) abort();
        return 0;
    }
    std::vector<unsigned char> glb;
    if (!ModelToGlb(model, GltfOptions(), glb, error)) return 0;  // a model too large for one buffer
    msModel back;
    if (!GltfToModel(glb, "", GltfOptions(), back, warnings, error)) {
        fprintf(stderr, "qev's own glTF of the model does not read back: %s\n", error.c_str());
        abort();
    }
    if (!qevmodel::SameContent(model, back)) {
        fprintf(stderr, "the model changed on its way through qev's glTF\n");
        abort();
    }
    return 0;
}
