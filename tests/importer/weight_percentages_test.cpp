// File weights to host percentages: the rounding that keeps the exporter's
// percentages intact, and what happens at the edges.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstring>
#include <limits>
#include <random>

#include "model.h"
#include "qev_bytes.h"
#include "weight_percentages.h"

namespace {

std::array<int32_t, 3> Convert(float w0, float w1, float w2) {
    const float weights[3] = {w0, w1, w2};
    std::array<int32_t, 3> percentages{};
    WeightsToPercentages(weights, percentages.data());
    return percentages;
}

// What the exporter writes for a percentage.
float Written(int32_t percentage) { return static_cast<float>(percentage / 100.0); }

struct WeightCase {
    const char* name;
    std::array<float, 3> weights;
    std::array<int32_t, 3> percentages;
};

class WeightRounding : public ::testing::TestWithParam<WeightCase> {};

TEST_P(WeightRounding, GivesTheMissingPointsToTheLargestFractions) {
    const WeightCase& c = GetParam();
    EXPECT_EQ(Convert(c.weights[0], c.weights[1], c.weights[2]), c.percentages);
}

const float kNaN = std::numeric_limits<float>::quiet_NaN();
const float kInf = std::numeric_limits<float>::infinity();

INSTANTIATE_TEST_SUITE_P(
    Cases, WeightRounding,
    ::testing::Values(WeightCase{"EighthsTieGoesToTheLowerSlot", {0.125f, 0.125f, 0.75f}, {13, 12, 75}},
                      WeightCase{"ThreeEqualHalves", {0.125f, 0.125f, 0.125f}, {13, 13, 12}},
                      WeightCase{"FloatsJustBelowTheirPercent", {0.29f, 0.5f, 0.21f}, {29, 50, 21}},
                      WeightCase{"ThirdRoundsDown", {0.333f, 0, 0}, {33, 0, 0}},
                      WeightCase{"Negative", {-0.5f, 0, 0}, {-50, 0, 0}},
                      WeightCase{"NegativeHalfRoundsUp", {-0.125f, 0, 0}, {-12, 0, 0}},
                      WeightCase{"AllZero", {0, 0, 0}, {0, 0, 0}},
                      WeightCase{"NotFiniteCountsAsZero", {kNaN, 0.5f, kInf}, {0, 50, 0}},
                      WeightCase{"MinusInfinityCountsAsZero", {-kInf, 0.25f, 0.75f}, {0, 25, 75}},
                      WeightCase{"HeldToTheInt32Range", {1e30f, -1e30f, 0.5f}, {INT32_MAX, INT32_MIN, 50}},
                      WeightCase{"JustInsideTheRange", {2.0e7f, -2.0e7f, 0}, {2000000000, -2000000000, 0}}),
    [](const ::testing::TestParamInfo<WeightCase>& row) { return std::string(row.param.name); });

TEST(WeightRoundTrip, EveryPercentageInEverySlotComesBack) {
    for (int32_t p = -1000; p <= 1000; ++p) {
        for (int slot = 0; slot < 3; ++slot) {
            std::array<int32_t, 3> expected = {29, 70, 1};  // each written just below its percent
            expected[slot] = p;
            const auto actual = Convert(Written(expected[0]), Written(expected[1]), Written(expected[2]));
            ASSERT_EQ(actual, expected) << "percentage " << p << " in slot " << slot;
        }
    }
}

TEST(WeightRoundTrip, EveryTripleOfZeroTo100ComesBack) {
    for (int32_t a = 0; a <= 100; ++a) {
        for (int32_t b = 0; b <= 100; ++b) {
            for (int32_t c = 0; c <= 100; ++c) {
                const std::array<int32_t, 3> expected = {a, b, c};
                ASSERT_EQ(Convert(Written(a), Written(b), Written(c)), expected) << a << " " << b << " " << c;
            }
        }
    }
}

TEST(WeightRoundTrip, ResultsStayWithinOneAndAddUpToTheRoundedTotal) {
    for (uint32_t i = 0; i < 20000; ++i) {
        const float w[3] = {static_cast<float>(i * 7919u % 20011u) / 9973.0f - 1.0f,
                            static_cast<float>(i * 104729u % 30011u) / 29989.0f,
                            static_cast<float>(i * 1299709u % 40009u) / -39989.0f};
        const auto p = Convert(w[0], w[1], w[2]);
        double sum = 0;
        for (int n = 0; n < 3; ++n) {
            const double x = static_cast<double>(w[n]) * 100.0;
            ASSERT_LT(std::abs(p[n] - x), 1.0) << "weight " << w[n];
            sum += x;
        }
        ASSERT_EQ(p[0] + p[1] + p[2], static_cast<int32_t>(std::floor(sum + 0.5)))
            << w[0] << " " << w[1] << " " << w[2];
    }
}

// The rule as it reads, with no shortcut: floor every slot, then hand the
// points missing to the rounded total, at most one each, to the slots with
// the largest fractions (the lower slot on a tie).
std::array<int32_t, 3> ByPlainSearch(const std::array<float, 3>& weights) {
    double scaled[3];
    double floored[3];
    double total = 0;
    for (int n = 0; n < 3; ++n) {
        const double x = static_cast<double>(weights[n]) * 100.0;
        scaled[n] = std::isfinite(x) ? x : 0.0;
        floored[n] = std::floor(scaled[n]);
        total += scaled[n];
    }
    const double missing = std::floor(total + 0.5) - (floored[0] + floored[1] + floored[2]);
    const int points = static_cast<int>(std::max(0.0, std::min(3.0, std::floor(missing))));
    std::array<int32_t, 3> percentages{};
    for (int n = 0; n < 3; ++n) {
        // Slots before this one in the order of handing out: a larger fraction,
        // or an equal one in a lower slot.
        int rank = 0;
        for (int other = 0; other < 3; ++other) {
            const double mine = scaled[n] - floored[n];
            const double theirs = scaled[other] - floored[other];
            if (theirs > mine || (theirs == mine && other < n)) ++rank;
        }
        const double value = floored[n] + (rank < points ? 1.0 : 0.0);
        percentages[n] = value <= INT32_MIN ? INT32_MIN : value >= INT32_MAX ? INT32_MAX : static_cast<int32_t>(value);
    }
    return percentages;
}

// The conversion decides most vertices without the search, by a shortcut whose
// correctness is an argument about float rounding: checked here on every
// triple the exporter writes and on a fixed sample of every kind of float.
TEST(WeightShortcut, AgreesWithThePlainSearch) {
    for (int32_t a = 0; a <= 100; ++a) {
        for (int32_t b = 0; b <= 100; ++b) {
            for (int32_t c = 0; c <= 100; ++c) {
                const std::array<float, 3> w = {Written(a), Written(b), Written(c)};
                ASSERT_EQ(Convert(w[0], w[1], w[2]), ByPlainSearch(w)) << a << " " << b << " " << c;
            }
        }
    }
    std::mt19937 random(20261211u);  // fixed: the same sample on every run
    std::uniform_real_distribution<float> fraction(-1.5f, 1.5f);
    std::uniform_int_distribution<int32_t> percent(-300, 300);
    std::uniform_int_distribution<int32_t> nudge(-3, 3);
    for (int i = 0; i < 50000; ++i) {
        std::array<float, 3> any;  // any bit pattern: huge, tiny, NaN, infinities
        std::array<float, 3> near;  // plausible weights
        std::array<float, 3> offBy;  // a few steps off what the exporter writes
        for (int n = 0; n < 3; ++n) {
            const uint32_t bits = random();
            std::memcpy(&any[n], &bits, sizeof(float));
            near[n] = fraction(random);
            offBy[n] = Written(percent(random));
            for (int step = nudge(random); step != 0; step += step > 0 ? -1 : 1)
                offBy[n] = std::nextafter(offBy[n], step > 0 ? 2.0f : -2.0f);
        }
        for (const auto& w : {any, near, offBy})
            ASSERT_EQ(Convert(w[0], w[1], w[2]), ByPlainSearch(w)) << w[0] << " " << w[1] << " " << w[2];
    }
}

TEST(WeightsInTheFile, TheFourthWeightIsUnused) {
    qevtest::VertexFields vertex;
    vertex.boneWeights = {0.29f, 0.5f, 0.21f, 123.0f};
    qevtest::QevBytes file(4);
    file.I32(1).I32(1).Vertex(vertex).I32(0).I32(0).Text("w").I32(0);
    msModel model;
    ASSERT_EQ(qevtest::ImportBytes(model, file.Bytes()), 0);
    const msVertexEx& ex = model.meshes.at(0).vertices.at(0).ex;
    EXPECT_EQ(ex.boneWeights[0], 29);
    EXPECT_EQ(ex.boneWeights[1], 50);
    EXPECT_EQ(ex.boneWeights[2], 21);
}

}  // namespace
