// Every timed iteration of every benchmark, by name, for medians across
// iterations and repetitions and for ratios between benchmarks of one run.
#ifndef QEV_BENCH_SAMPLES_H
#define QEV_BENCH_SAMPLES_H

#include <string>

namespace bench {

void RecordSample(const std::string& name, double seconds);

// The median of name's samples so far; 0 when it has none.
double MedianSeconds(const std::string& name);

// a / b of the medians, or 0 when either has no samples.
double MedianRatio(const std::string& a, const std::string& b);

}  // namespace bench

#endif
