// SPDX-License-Identifier: MIT
#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_transport.h"
#include "session/chip_access.h"

namespace tovrik {

// The chips a session reaches, and beside them at most one image file opened
// as a simulated chip, exactly as --simulate=FILE makes one: the same size
// rules and refusals, the file's lock, a new file made from the factory image.
// Its interface is listed after the others under the path "file:" followed
// by the file's name, so it never takes the place of a chip with the same ids.
class ChipsWithImageFile : public HidTransport {
public:
    static constexpr const char* kPathPrefix = "file:";

    explicit ChipsWithImageFile(HidTransport& chips) : chips_(chips) {}

    // Opens `file` as a chip in place of the image file open before (whose
    // chip and lock go); its interface, or nothing with `error`, the one open
    // before staying then.
    std::optional<HidDeviceInfo> OpenImageFile(const std::string& file, std::string& error);
    // The image file open now; empty for none.
    const std::string& ImageFile() const { return file_; }
    // The image file behind the interface at `path`; empty for any other chip.
    std::string ImageFileAt(const std::string& path) const;
    // The image file's chip; nullptr while none is open.
    ChipAccess* ImageChip() { return image_.get(); }

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    std::string OpenFailureMessage(const std::string& path) const override;
    bool IsSimulated() const override { return chips_.IsSimulated(); }

private:
    std::string ImagePath() const { return kPathPrefix + file_; }
    // The image chip's own interface path; empty when it is not on the bus.
    std::string InnerPath();

    HidTransport& chips_;
    std::unique_ptr<ChipAccess> image_;
    std::string file_;
};

}  // namespace tovrik
