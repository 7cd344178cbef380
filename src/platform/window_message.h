// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>

namespace tovrik {

// A window is addressed by an opaque handle; 0 is "no window".
using WindowHandle = std::uintptr_t;
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using UINT = unsigned int;

constexpr WindowHandle kNoWindow = 0;

// The system's device-change notification, handed back to the device library.
constexpr UINT WM_DEVICECHANGE = 537;

struct WindowMessage {
    WindowHandle window = kNoWindow;
    UINT message = 0;
    WPARAM wParam = 0;
    LPARAM lParam = 0;

    friend bool operator==(const WindowMessage&, const WindowMessage&) = default;
};

// Packs eight event bytes the way the notifications carry them: bytes 0..3 in
// wParam and bytes 4..7 in lParam, low byte first.
inline void PackEventBytes(const std::uint8_t bytes[8], WPARAM& wParam, LPARAM& lParam)
{
    std::uint32_t lo = 0;
    std::uint32_t hi = 0;
    for (int i = 3; i >= 0; --i) {
        lo = (lo << 8) | bytes[i];
        hi = (hi << 8) | bytes[i + 4];
    }
    wParam = lo;
    lParam = static_cast<LPARAM>(hi);
}

}  // namespace tovrik
