// SPDX-License-Identifier: MIT
#pragma once

// The exit status of every tovrik-cli command; `tovrik-cli --help` and the
// man page list them, and scripts and production lines rely on them.
namespace tovrik::cli {

constexpr int kExitOk = 0;
// verify and diff: the compared contents differ.
constexpr int kExitDiffers = 1;
// image encode: the description could not be saved into an image.
constexpr int kExitNotSaved = 1;
constexpr int kExitUsage = 2;
// No chip with the ids or path, or it cannot be opened.
constexpr int kExitNoDevice = 3;
// A transfer to or from the chip failed.
constexpr int kExitTransfer = 4;

constexpr const char* kExitCodesHelp =
    "Exit status: 0 done, 1 differs (verify, diff) or not saved (image encode),\n"
    "2 bad usage or input, "
    "3 no device or cannot open it, 4 a device transfer failed.";

}  // namespace tovrik::cli
