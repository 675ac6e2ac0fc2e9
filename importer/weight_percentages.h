// File weights (float32 fractions of 1) to the host's integer percentages.
#ifndef QEV_WEIGHT_PERCENTAGES_H
#define QEV_WEIGHT_PERCENTAGES_H

#include <stdint.h>

// Turns the first three file weights of a vertex into percentages. Each result
// is within 1 of its weight times 100 and the three add up to the rounded total,
// so every percentage the exporter writes (p / 100 as float32) comes back as p.
// A weight that is not finite counts as 0; results are held to the int32 range.
void WeightsToPercentages(const float weights[3], int32_t percentages[3]);

#endif
