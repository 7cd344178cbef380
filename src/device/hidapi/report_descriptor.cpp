// SPDX-License-Identifier: MIT
#include "device/hidapi/report_descriptor.h"

#include <algorithm>
#include <array>
#include <vector>

namespace tovrik {

namespace {

// Item prefixes with the size bits masked off: type and tag.
constexpr std::uint8_t kInput = 0x80;
constexpr std::uint8_t kReportSize = 0x74;
constexpr std::uint8_t kReportId = 0x84;
constexpr std::uint8_t kReportCount = 0x94;
constexpr std::uint8_t kPush = 0xA4;
constexpr std::uint8_t kPop = 0xB4;
constexpr std::uint8_t kLongItem = 0xFE;

// Deeper Push nesting than this is not found in real descriptors and is refused.
constexpr std::size_t kMaxPushDepth = 16;
// A report is at most this long, which also keeps the bit sums far from overflow.
constexpr std::uint64_t kMaxReportBits = 8ull * 65536;

struct Globals {
    std::uint32_t reportSize = 0;
    std::uint32_t reportCount = 0;
    std::uint32_t reportId = 0;
};

std::uint32_t ItemData(const std::uint8_t* data, int size)
{
    std::uint32_t value = 0;
    for (int i = 0; i < size; ++i) {
        value |= static_cast<std::uint32_t>(data[i]) << (8 * i);
    }
    return value;
}

}  // namespace

std::optional<int> InputReportByteLength(const std::uint8_t* descriptor, std::size_t length)
{
    if (descriptor == nullptr && length != 0) {
        return std::nullopt;
    }
    Globals globals;
    std::vector<Globals> stack;
    std::array<std::uint64_t, 256> inputBits{};  // per report id; 0 = reports not numbered
    std::size_t at = 0;
    while (at < length) {
        const std::uint8_t prefix = descriptor[at];
        if (prefix == kLongItem) {
            // Long items carry no report layout; only their length matters.
            if (length - at < 3) {
                return std::nullopt;
            }
            const std::size_t dataSize = descriptor[at + 1];
            if (length - at - 3 < dataSize) {
                return std::nullopt;
            }
            at += 3 + dataSize;
            continue;
        }
        static constexpr int kSizes[4] = {0, 1, 2, 4};
        const int size = kSizes[prefix & 0x03];
        if (length - at - 1 < static_cast<std::size_t>(size)) {
            return std::nullopt;
        }
        const std::uint32_t value = ItemData(descriptor + at + 1, size);
        at += 1 + size;
        switch (prefix & 0xFC) {
            case kReportSize:
                globals.reportSize = value;
                break;
            case kReportCount:
                globals.reportCount = value;
                break;
            case kReportId:
                if (value == 0 || value > 255) {
                    return std::nullopt;
                }
                globals.reportId = value;
                break;
            case kPush:
                if (stack.size() >= kMaxPushDepth) {
                    return std::nullopt;
                }
                stack.push_back(globals);
                break;
            case kPop:
                if (stack.empty()) {
                    return std::nullopt;
                }
                globals = stack.back();
                stack.pop_back();
                break;
            case kInput: {
                const std::uint64_t bits =
                    static_cast<std::uint64_t>(globals.reportSize) * globals.reportCount;
                std::uint64_t& total = inputBits[globals.reportId];
                total = std::min(total + std::min(bits, kMaxReportBits), kMaxReportBits);
                break;
            }
            default:
                break;
        }
    }
    std::uint64_t longest = 0;
    for (std::uint64_t bits : inputBits) {
        longest = std::max(longest, bits);
    }
    if (longest == 0) {
        return 0;
    }
    return static_cast<int>((longest + 7) / 8 + 1);
}

}  // namespace tovrik
