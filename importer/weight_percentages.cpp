#include "weight_percentages.h"

#include <math.h>

namespace {

int32_t ClampToInt32(double value) {
    if (value <= -2147483648.0) return INT32_MIN;
    if (value >= 2147483647.0) return INT32_MAX;
    return (int32_t)value;
}

}  // namespace

// Truncating each weight alone loses a point whenever p / 100 rounds to a float
// just below it (70 would come back as 69, and worse with every round trip).
// Instead every slot is floored and the points missing to the rounded total go
// to the slots with the largest fractions, the lower slot first on a tie.
void WeightsToPercentages(const float weights[3], int32_t percentages[3]) {
    double scaled[3];
    double floored[3];
    for (int n = 0; n < 3; ++n) {
        // float * 100 needs at most 31 significant bits: the double product is exact.
        const double x = (double)weights[n] * 100.0;
        scaled[n] = isfinite(x) ? x : 0.0;
        floored[n] = floor(scaled[n]);
    }
    const double total = floor(scaled[0] + scaled[1] + scaled[2] + 0.5);
    const double missing = total - (floored[0] + floored[1] + floored[2]);
    // Most often the slots whose fraction is at least one half are exactly as
    // many as the missing points: they are then the largest fractions, so they
    // get the points, without the search below and its hard-to-predict branches.
    bool upper[3];
    int upperCount = 0;
    for (int n = 0; n < 3; ++n) {
        upper[n] = scaled[n] - floored[n] >= 0.5;
        upperCount += upper[n];
    }
    if (missing == (double)upperCount) {
        for (int n = 0; n < 3; ++n) percentages[n] = ClampToInt32(floored[n] + (double)upper[n]);
        return;
    }

    // At most one point per slot; far outside the int32 range the sums lose
    // precision and could claim more.
    int points = missing >= 3.0 ? 3 : missing >= 2.0 ? 2 : missing >= 1.0 ? 1 : 0;

    bool raised[3] = {false, false, false};
    for (; points > 0; --points) {
        int best = -1;
        for (int n = 0; n < 3; ++n) {
            if (raised[n]) continue;
            if (best < 0 || scaled[n] - floored[n] > scaled[best] - floored[best]) best = n;
        }
        raised[best] = true;
    }
    for (int n = 0; n < 3; ++n) percentages[n] = ClampToInt32(floored[n] + (raised[n] ? 1.0 : 0.0));
}
