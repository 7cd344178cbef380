// SPDX-License-Identifier: MIT
#pragma once

#include <atomic>
#include <cstdint>

#include "device/forwarding_library.h"

namespace tovrik {

// Passes every call on and counts the EEPROM bytes of the writes that
// succeeded, whoever made them, for the log of the window's commands.
class WriteCountingLibrary : public ForwardingLibrary {
public:
    explicit WriteCountingLibrary(DeviceLibrary& inner) : ForwardingLibrary(inner) {}

    std::uint64_t BytesWritten() const { return written_; }

    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        const int result = inner_.rmBurnEEPROM(direction, address, buffer, count);
        if (direction == kEepromWrite && result != 0) {
            written_ += count;
        }
        return result;
    }

private:
    std::atomic<std::uint64_t> written_{0};
};

}  // namespace tovrik
