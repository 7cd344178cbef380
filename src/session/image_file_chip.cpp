// SPDX-License-Identifier: MIT
#include "session/image_file_chip.h"

#include "session/chip_choice.h"

namespace tovrik {

std::optional<HidDeviceInfo> ChipsWithImageFile::OpenImageFile(const std::string& file,
                                                               std::string& error)
{
    if (file.empty()) {
        error = "no file was named";
        return std::nullopt;
    }
    ChipChoice choice;
    choice.simulate = true;
    choice.backingFile = file;
    // The file open now is let go first, so that opening it again takes its lock anew.
    const bool same = file == file_;
    if (same) {
        image_.reset();
        file_.clear();
    }
    std::unique_ptr<ChipAccess> access = ChipAccess::Open(choice, error);
    if (!access) {
        return std::nullopt;
    }
    image_ = std::move(access);
    file_ = file;
    const std::vector<HidDeviceInfo> found = image_->Transport().Enumerate();
    if (found.empty()) {
        error = file + ": the simulated chip is not on the bus";
        return std::nullopt;
    }
    HidDeviceInfo info = found.front();
    info.path = ImagePath();
    return info;
}

std::string ChipsWithImageFile::ImageFileAt(const std::string& path) const
{
    return image_ && path == ImagePath() ? file_ : std::string();
}

std::string ChipsWithImageFile::InnerPath()
{
    if (!image_) {
        return {};
    }
    const std::vector<HidDeviceInfo> found = image_->Transport().Enumerate();
    return found.empty() ? std::string() : found.front().path;
}

std::vector<HidDeviceInfo> ChipsWithImageFile::Enumerate()
{
    std::vector<HidDeviceInfo> all = chips_.Enumerate();
    if (image_) {
        for (HidDeviceInfo info : image_->Transport().Enumerate()) {
            info.path = ImagePath();
            all.push_back(std::move(info));
        }
    }
    return all;
}

std::unique_ptr<HidDevice> ChipsWithImageFile::Open(const std::string& path)
{
    if (image_ && path == ImagePath()) {
        const std::string inner = InnerPath();
        return inner.empty() ? nullptr : image_->Transport().Open(inner);
    }
    return chips_.Open(path);
}

std::string ChipsWithImageFile::OpenFailureMessage(const std::string& path) const
{
    if (image_ && path == ImagePath()) {
        return {};
    }
    return chips_.OpenFailureMessage(path);
}

}  // namespace tovrik
