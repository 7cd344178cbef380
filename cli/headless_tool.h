// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "session/headless_tool.h"

namespace tovrik::cli {

// The core's headless tool for the commands: both throw UsageError with the
// reason when the tool cannot be had.
std::unique_ptr<HeadlessTool> BuildHeadlessTool(const SessionDescription& description);
std::unique_ptr<ToolOnImage> OpenToolOnImage(const std::vector<std::uint8_t>& image);

// The image a loaded chip holds, as 256 bytes: what `image show` loads.
std::vector<std::uint8_t> ImageFileBytes(const std::string& path);

}  // namespace tovrik::cli
