// SPDX-License-Identifier: MIT
// Band coefficients: the order-1 design against the textbook bilinear
// band-pass, the general design by its response, the fixed-point rules.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>

#include "pages/config/eq_coefficients.h"

namespace tovrik {
namespace {

constexpr double kSinglePi = static_cast<double>(3.14159265358979323846f);
constexpr double kOne = 536870912.0;  // 2^29
constexpr int kDefaultBands[5][2] = {
    {100, 70}, {350, 210}, {1000, 620}, {3500, 2310}, {13000, 5200}};

// Band edges around fc, geometrically, as fractions of the Nyquist frequency.
std::pair<double, double> Edges(int fc, int bw)
{
    const double r = static_cast<double>(bw) / fc;
    const double centre = fc / 24000.0;
    return {centre * std::sqrt((1 - r) / (1 + r)), centre * std::sqrt((1 + r) / (1 - r))};
}

// |H| of the order-n design at normalised frequency f; numerator sf (1 - z^-2)^n.
double Response(int n, double f1, double f2, double f)
{
    const std::complex<double> zInv = std::polar(1.0, -kSinglePi * f);
    std::complex<double> denominator = 0;
    std::complex<double> power = 1;
    for (double d : BandpassDenominator(n, f1, f2)) {
        denominator += d * power;
        power *= zInv;
    }
    return std::abs(BandpassScale(n, f1, f2) * std::pow(1.0 - zInv * zInv, n) / denominator);
}

TEST(EqCoefficientsTest, DefaultBandsAreTheTextbookBandPassWithTheExpectedSigns)
{
    std::int32_t previousB0 = 0;
    for (const auto& [fc, bw] : kDefaultBands) {
        SCOPED_TRACE(fc);
        // b0 = K/(1+K), a1 = 2 cos w0/(1+K), a2 = -(1-K)/(1+K), w0 warped from the edges.
        const auto [f1, f2] = Edges(fc, bw);
        const double k = std::tan(kSinglePi * (f2 - f1) / 2);
        const double cosW0 =
            std::cos(kSinglePi * (f1 + f2) / 2) / std::cos(kSinglePi * (f2 - f1) / 2);
        const BandCoefficients c = ComputeBandCoefficients(48000, fc, bw);
        // Rounding may move a truncated value by one step; the double-precision pi would move more.
        EXPECT_NEAR(c.a1, std::trunc(2 * cosW0 / (1 + k) * kOne), 1.0);
        EXPECT_NEAR(c.a2, std::trunc(-(1 - k) / (1 + k) * kOne), 1.0);
        EXPECT_NEAR(c.b0, std::trunc(k / (1 + k) * kOne), 1.0);

        EXPECT_GT(c.b0, previousB0);
        previousB0 = c.b0;
        EXPECT_LT(c.a2, 0);
        EXPECT_EQ(c.a1 < 0, fc == 13000);  // the only band whose edges add up past 1
        EXPECT_EQ(f1 + f2 > 1, fc == 13000);
    }
}

TEST(EqCoefficientsTest, TheGeneralDesignPassesTheCentreAndHalvesThePowerAtTheEdges)
{
    for (int n : {1, 2, 3}) {
        for (const auto& [fc, bw] : kDefaultBands) {
            SCOPED_TRACE(testing::Message() << "order " << n << " band " << fc);
            const auto [f1, f2] = Edges(fc, bw);
            const double centre = std::acos(std::cos(kSinglePi * (f1 + f2) / 2) /
                                            std::cos(kSinglePi * (f2 - f1) / 2)) /
                                  kSinglePi;
            // A narrow order-3 band has its poles so near the unit circle that the
            // expanded polynomial loses a few digits.
            const double tolerance = n < 3 ? 1e-6 : 1e-3;
            EXPECT_NEAR(Response(n, f1, f2, centre), 1.0, tolerance);
            EXPECT_NEAR(Response(n, f1, f2, f1), std::sqrt(0.5), tolerance);
            EXPECT_NEAR(Response(n, f1, f2, f2), std::sqrt(0.5), tolerance);
        }
    }
}

TEST(EqCoefficientsTest, MultiplyTrinomialsExpandsTheProduct)
{
    using C = std::complex<double>;
    const std::vector<C> b = {{1, 2}, {-0.5, 0.25}, {3, -1}};
    const std::vector<C> c = {{0.5, -1}, {2, 0}, {-1, 1.5}};
    std::vector<C> expected = {1};  // plain polynomial multiplication, lowest power first
    for (std::size_t k = 0; k < b.size(); ++k) {
        std::vector<C> next(expected.size() + 2);
        for (std::size_t m = 0; m < expected.size(); ++m) {
            next[m] += expected[m];
            next[m + 1] += b[k] * expected[m];
            next[m + 2] += c[k] * expected[m];
        }
        expected = next;
    }
    const std::vector<C> product = MultiplyTrinomials(3, b, c);
    ASSERT_EQ(product.size(), 6u);
    for (std::size_t m = 0; m < product.size(); ++m) {
        EXPECT_NEAR(std::abs(product[m] - expected[m + 1]), 0.0, 1e-12) << "z^-" << m + 1;
    }
    EXPECT_EQ(MultiplyTrinomials(4, b, c).size(), 6u);  // held to the trinomials given
}

TEST(EqCoefficientsTest, FixedPointTruncatesTowardZeroKeepsTheLow32BitsAndRefusesNothing)
{
    EXPECT_EQ(TruncateToLow32(-2.95), -2);
    EXPECT_EQ(TruncateToLow32(2.95), 2);
    EXPECT_EQ(TruncateToLow32(4294967296.0 + 5), 5);
    EXPECT_EQ(TruncateToLow32(2147483648.0), std::numeric_limits<std::int32_t>::min());
    EXPECT_EQ(TruncateToLow32(std::numeric_limits<double>::quiet_NaN()), 0);
    EXPECT_EQ(TruncateToLow32(1e30), 0);

    EXPECT_EQ(BandRegisterBytes({0x01234567, -2, 0x7F00FF80}),
              (std::array<std::uint8_t, 12>{0x01, 0x23, 0x45, 0x67, 0xFF, 0xFF, 0xFF, 0xFE, 0x7F,
                                            0x00, 0xFF, 0x80}));
}

TEST(EqCoefficientsTest, InputsOutsideTheDesignGiveZerosAndInsideAStableFilter)
{
    const BandCoefficients zero{};
    for (const auto& [fc, bw] : {std::pair{1000, 1000},
                                 {1000, 5000},
                                 {0, 70},
                                 {-100, -170},
                                 {1000, 0},
                                 {1000, -300},
                                 {20000, 5000},
                                 {24000, 10},
                                 {2147483647, 2147483646}}) {
        EXPECT_EQ(ComputeBandCoefficients(48000, fc, bw), zero) << fc << "/" << bw;
    }
    EXPECT_EQ(ComputeBandCoefficients(1, 100, 70), zero);
    for (const auto& [fc, bw] : {std::pair{100, 99}, {18000, 5000}}) {
        const BandCoefficients c = ComputeBandCoefficients(48000, fc, bw);
        EXPECT_NE(c, zero) << fc;
        EXPECT_LT(std::abs(static_cast<double>(c.a2)), kOne) << fc;
    }
}

}  // namespace
}  // namespace tovrik
