// Stand-in until the glTF converter is in this build.
#include "model_glb.h"

bool MakeModelGlb(const msModel&, std::vector<unsigned char>&, std::string& error) {
    error = "converting QEV to glTF is not in this build yet";
    return false;
}
