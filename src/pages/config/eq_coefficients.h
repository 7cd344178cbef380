// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <complex>
#include <cstdint>
#include <vector>

namespace tovrik {

// The three fixed-point coefficients of one equaliser band, 29 fraction bits
// each (1.0 = 2^29), as the chip takes them in twelve consecutive registers.
struct BandCoefficients {
    std::int32_t a1 = 0;
    std::int32_t a2 = 0;
    std::int32_t b0 = 0;

    friend bool operator==(const BandCoefficients&, const BandCoefficients&) = default;
};

// The design order the equaliser page always uses.
constexpr int kBandDesignOrder = 1;

// Turns a band's central frequency and bandwidth (Hz) at the sampling rate fs
// (Hz) into the coefficients of an order-1 Butterworth band-pass designed with
// the bilinear transform. Inputs outside the design's domain (fs below 2,
// fc <= 0, bw <= 0, bw >= fc, or an upper band edge at or past the Nyquist
// frequency) give all three coefficients 0.
BandCoefficients ComputeBandCoefficients(int fs, int fc, int bw);

// The 2n + 1 real denominator coefficients d[0..2n] (d[0] = 1) of an order-n
// Butterworth band-pass with band edges f1 < f2 given as fractions of the
// Nyquist frequency. An order below 1 gives just d[0].
std::vector<double> BandpassDenominator(int n, double f1, double f2);

// The scale factor of that design.
double BandpassScale(int n, double f1, double f2);

// The product of the n trinomials 1 + b[k] z^-1 + c[k] z^-2: its 2n
// coefficients, element m - 1 holding the coefficient of z^-m (the constant 1
// is left out). n is limited to the sizes of b and c.
std::vector<std::complex<double>> MultiplyTrinomials(int n,
                                                     const std::vector<std::complex<double>>& b,
                                                     const std::vector<std::complex<double>>& c);

// A scaled coefficient as the chip takes it: truncated toward zero to a 64-bit
// integer, of which the low 32 bits are kept. Values that are not finite or do
// not fit into 64 bits give 0.
std::int32_t TruncateToLow32(double scaled);

// The twelve register bytes of a band: a1, a2, b0, each most significant byte first.
std::array<std::uint8_t, 12> BandRegisterBytes(const BandCoefficients& coefficients);

}  // namespace tovrik
