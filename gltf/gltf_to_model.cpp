#include "gltf_to_model.h"

bool GltfToModel(const std::vector<unsigned char>&, const std::string&, const GltfOptions&, msModel&,
                 std::vector<std::string>&, std::string& error) {
    error = "reading glTF is not available yet";
    return false;
}
