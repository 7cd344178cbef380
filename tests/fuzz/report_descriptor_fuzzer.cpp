// SPDX-License-Identifier: MIT
// Feeds arbitrary HID report descriptors to the parser that sizes the device's
// input reports: a descriptor comes from the device, so none may crash it.
#include <cstddef>
#include <cstdint>

#include "device/hidapi/report_descriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const auto length = tovrik::InputReportByteLength(data, size);
    if (length && *length < 0) {
        __builtin_trap();
    }
    return 0;
}
