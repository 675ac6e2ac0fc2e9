// The converter that qev convert uses, so a page shows exactly what convert writes.
#include "model_glb.h"

#if __has_include("model_to_gltf.h")
#include "model_to_gltf.h"

bool MakeModelGlb(const msModel& model, std::vector<unsigned char>& glb, std::string& error) {
    return ModelToGlb(model, GltfOptions(), glb, error);
}
#else
// Built before the glTF converter was part of qev.
bool MakeModelGlb(const msModel&, std::vector<unsigned char>&, std::string& error) {
    error = "converting QEV to glTF is not in this build yet";
    return false;
}
#endif
