// SPDX-License-Identifier: MIT
#pragma once

#include <optional>
#include <string>

namespace tovrik {

// A serial number format: printf-like text with exactly one integer
// conversion (d, i, u, x, X or o with flags, width and precision of at most
// two digits each) and %%.
class SerialFormat {
public:
    // std::nullopt, with the reason in `error`, for any other format.
    static std::optional<SerialFormat> Parse(const std::string& format, std::string& error);

    std::string Format(long long number) const;
    const std::string& Text() const { return text_; }

private:
    SerialFormat() = default;

    std::string text_;
    std::string prefix_;
    std::string conversion_;  // rebuilt as a long long conversion
    std::string suffix_;
};

}  // namespace tovrik
