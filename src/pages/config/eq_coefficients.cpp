// SPDX-License-Identifier: MIT
#include "pages/config/eq_coefficients.h"

#include <algorithm>
#include <cmath>

namespace tovrik {

namespace {

// The chip's coefficients were always designed with the single-precision pi;
// the double-precision one moves them by up to a dozen steps.
constexpr double kPi = static_cast<double>(3.14159265358979323846f);
constexpr double kFixedOne = 536870912.0;  // 2^29
constexpr double kTwoTo63 = 9223372036854775808.0;

}  // namespace

std::int32_t TruncateToLow32(double scaled)
{
    // Converting a value outside the 64-bit range (or NaN) is undefined, so it never happens.
    if (!std::isfinite(scaled) || scaled >= kTwoTo63 || scaled < -kTwoTo63) {
        return 0;
    }
    const auto wide = static_cast<std::int64_t>(scaled);
    return static_cast<std::int32_t>(static_cast<std::uint32_t>(static_cast<std::uint64_t>(wide)));
}

std::vector<std::complex<double>> MultiplyTrinomials(int n,
                                                     const std::vector<std::complex<double>>& b,
                                                     const std::vector<std::complex<double>>& c)
{
    n = std::min({n, static_cast<int>(b.size()), static_cast<int>(c.size())});
    if (n < 1) {
        return {};
    }
    // a[m] is the coefficient of z^-m; a[0] stays unused so the indexes read as written.
    std::vector<std::complex<double>> a(2 * static_cast<std::size_t>(n) + 1);
    a[1] = b[0];
    a[2] = c[0];
    for (int i = 1; i < n; ++i) {
        // From the highest power down, so every coefficient still sees the old values.
        a[2 * i + 2] += c[i] * a[2 * i];
        for (int m = 2 * i + 1; m >= 3; --m) {
            a[m] += b[i] * a[m - 1] + c[i] * a[m - 2];
        }
        a[2] += b[i] * a[1] + c[i];
        a[1] += b[i];
    }
    return {a.begin() + 1, a.end()};
}

std::vector<double> BandpassDenominator(int n, double f1, double f2)
{
    if (n < 1) {
        return {1.0};
    }
    const double cp = std::cos(kPi * (f1 + f2) / 2.0);
    const double theta = kPi * (f2 - f1) / 2.0;
    const double st = std::sin(theta);
    const double ct = std::cos(theta);
    const double s2t = 2.0 * st * ct;
    const double c2t = 2.0 * ct * ct - 1.0;

    std::vector<std::complex<double>> b(static_cast<std::size_t>(n));
    std::vector<std::complex<double>> c(static_cast<std::size_t>(n));
    for (int k = 0; k < n; ++k) {
        const double phi = kPi * (2.0 * k + 1.0) / (2.0 * n);
        const double sphi = std::sin(phi);
        const double cphi = std::cos(phi);
        const double a = 1.0 + s2t * sphi;
        c[k] = {c2t / a, s2t * cphi / a};
        b[k] = {-2.0 * cp * (ct + st * sphi) / a, -2.0 * cp * st * cphi / a};
    }

    const std::vector<std::complex<double>> product = MultiplyTrinomials(n, b, c);
    std::vector<double> d(product.size() + 1);
    d[0] = 1.0;
    for (std::size_t k = 0; k < product.size(); ++k) {
        d[k + 1] = product[k].real();
    }
    return d;
}

double BandpassScale(int n, double f1, double f2)
{
    const double ctt = 1.0 / std::tan(kPi * (f2 - f1) / 2.0);
    double sr = 1.0;
    double si = 0.0;
    for (int k = 0; k < n; ++k) {
        const double phi = kPi * (2.0 * k + 1.0) / (2.0 * n);
        const double p = ctt + std::sin(phi);
        const double q = std::cos(phi);
        const double nextReal = sr * p + si * q;
        const double nextImag = (sr + si) * (p - q) - sr * p + si * q;
        sr = nextReal;
        si = nextImag;
    }
    return 1.0 / sr;
}

BandCoefficients ComputeBandCoefficients(int fs, int fc, int bw)
{
    const int halfRate = fs / 2;
    // Outside this domain the square roots, divisions or the tangent have no
    // meaningful value; the band then gets a filter that passes nothing.
    if (halfRate < 1 || fc <= 0 || bw <= 0 || bw >= fc) {
        return {};
    }
    const double r = static_cast<double>(bw) / static_cast<double>(fc);
    const double nyquist = static_cast<double>(halfRate);
    const double f1 = std::sqrt((1.0 - r) / (1.0 + r)) * fc / nyquist;
    const double f2 = std::sqrt((1.0 + r) / (1.0 - r)) * fc / nyquist;
    if (f2 >= 1.0) {
        return {};
    }

    const std::vector<double> d = BandpassDenominator(kBandDesignOrder, f1, f2);
    const double sf = BandpassScale(kBandDesignOrder, f1, f2);

    BandCoefficients result;
    result.a1 = TruncateToLow32(-(d[1] * kFixedOne));
    result.a2 = TruncateToLow32(-(d[2] * kFixedOne));
    result.b0 = TruncateToLow32(sf * kFixedOne);
    return result;
}

std::array<std::uint8_t, 12> BandRegisterBytes(const BandCoefficients& coefficients)
{
    std::array<std::uint8_t, 12> bytes{};
    const std::int32_t values[3] = {coefficients.a1, coefficients.a2, coefficients.b0};
    for (int v = 0; v < 3; ++v) {
        const auto word = static_cast<std::uint32_t>(values[v]);
        for (int i = 0; i < 4; ++i) {
            bytes[v * 4 + i] = static_cast<std::uint8_t>(word >> (24 - 8 * i));
        }
    }
    return bytes;
}

}  // namespace tovrik
