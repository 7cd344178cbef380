// SPDX-License-Identifier: MIT
#include "headless_tool.h"

#include "device_access.h"
#include "output_file.h"

namespace tovrik::cli {

namespace {

constexpr std::size_t kLargestImageFile = 2048;

}  // namespace

std::unique_ptr<HeadlessTool> BuildHeadlessTool(const SessionDescription& description)
{
    std::string error;
    std::unique_ptr<HeadlessTool> tool = HeadlessTool::Build(description, error);
    if (!tool) {
        throw UsageError{error};
    }
    return tool;
}

std::unique_ptr<ToolOnImage> OpenToolOnImage(const std::vector<std::uint8_t>& image)
{
    std::string error;
    std::unique_ptr<ToolOnImage> loaded = ToolOnImage::Open(image, error);
    if (!loaded) {
        throw UsageError{error};
    }
    return loaded;
}

std::vector<std::uint8_t> ImageFileBytes(const std::string& path)
{
    std::vector<std::uint8_t> bytes = ReadInputFile(path, kLargestImageFile);
    bytes.resize(EepromConfig::kImageSize, 0xFF);
    return bytes;
}

}  // namespace tovrik::cli
