// The model as glb, as qev convert writes it.
#ifndef QEV_TOOL_MODEL_GLB_H
#define QEV_TOOL_MODEL_GLB_H

#include <string>
#include <vector>

#include "model.h"

bool MakeModelGlb(const msModel& model, std::vector<unsigned char>& glb, std::string& error);

#endif
