// The conversion options applied to a model, whatever the formats on either side.
#ifndef QEV_TOOL_MODEL_ADJUST_H
#define QEV_TOOL_MODEL_ADJUST_H

#include "gltf_options.h"
#include "model.h"

// Scales vertex and bone positions and flips v, as options ask; with the
// defaults nothing is touched, so every value stays bit for bit.
void AdjustModel(msModel& model, const GltfOptions& options);

#endif
