// SPDX-License-Identifier: MIT
// Feeds arbitrary text to `image encode`'s description reader: every input is
// either an image or a refusal, never a crash or an uncaught exception.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "image_commands.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::vector<std::uint8_t> image;
    std::string report;
    std::string error;
    const int status = tovrik::cli::BuildImage(text, "fuzz", image, report, error);
    if (status == tovrik::cli::kExitUsage ? error.empty() : image.size() != 256) {
        __builtin_trap();
    }
    return 0;
}
