#include "samples.h"

#include <algorithm>
#include <map>
#include <vector>

namespace bench {

namespace {

std::map<std::string, std::vector<double>>& Samples() {
    static std::map<std::string, std::vector<double>> samples;
    return samples;
}

}  // namespace

void RecordSample(const std::string& name, double seconds) { Samples()[name].push_back(seconds); }

double MedianSeconds(const std::string& name) {
    auto found = Samples().find(name);
    if (found == Samples().end() || found->second.empty()) return 0;
    std::vector<double> sorted = found->second;
    std::sort(sorted.begin(), sorted.end());
    const size_t n = sorted.size();
    return n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
}

double MedianRatio(const std::string& a, const std::string& b) {
    const double numerator = MedianSeconds(a);
    const double denominator = MedianSeconds(b);
    return numerator > 0 && denominator > 0 ? numerator / denominator : 0;
}

}  // namespace bench
