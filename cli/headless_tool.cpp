// SPDX-License-Identifier: MIT
#include "headless_tool.h"

#include <algorithm>

#include "app/demo_dlg.h"
#include "device_access.h"
#include "output_file.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"

namespace tovrik::cli {

namespace {

constexpr std::size_t kLargestImageFile = 2048;

}  // namespace

HeadlessTool::HeadlessTool(const SessionDescription& description)
{
    std::string error;
    session_ = ToolSession::Build(description, prompter_, error);
    if (!session_) {
        throw UsageError{error};
    }
    session_->Start(false);
}

HeadlessTool::~HeadlessTool() = default;

CDemoDlg& HeadlessTool::Window()
{
    return *session_->MainWindow();
}

bool HeadlessTool::Connect(std::uint16_t vendorId, std::uint16_t productId)
{
    CDemoDlg& window = Window();
    for (const auto& [id, text] :
         {std::pair{IDC_VID, Hex4(vendorId)}, std::pair{IDC_PID, Hex4(productId)}}) {
        if (Control* field = window.GetDlgItem(id)) {
            user_input::Type(window, *field, text);
            user_input::Leave(window, *field);
            session_->Ui().DispatchPending();
        }
    }
    if (Control* connect = window.GetDlgItem(IDC_CONNECT)) {
        user_input::Click(window, *connect);
    }
    session_->Ui().DispatchPending();
    return window.IsConnected() != 0;
}

ConfigModels& HeadlessTool::Models()
{
    if (!models_) {
        models_ = std::make_unique<ConfigModels>(session_->Config(), session_->Prompts());
        models_->Create(session_->App().CurrentDeviceProfile());
    }
    return *models_;
}

bool HeadlessTool::SaveSettings()
{
    // A page that refused what it holds has said why; nothing is saved then.
    const bool stored = Models().StoreToImage();
    return stored && session_->Config().SaveToEeprom() != 0;
}

namespace {

// An in-memory chip holding the image: nothing of it outlives the command,
// so nothing is backed up.
SessionDescription ChipHolding(const std::vector<std::uint8_t>& image)
{
    SessionDescription description;
    description.chip.simulate = true;
    description.chip.eepromSize = EepromConfig::kImageSize;
    description.chip.image = std::vector<std::uint8_t>(
        image.begin(),
        image.begin() + std::min<std::size_t>(image.size(), EepromConfig::kImageSize));
    description.backupsBeforeWrites = false;
    return description;
}

}  // namespace

ToolOnImage::ToolOnImage(const std::vector<std::uint8_t>& image) : tool_(ChipHolding(image))
{
    const std::optional<HidDeviceInfo> ids = tool_.Session().Chip()->Enumeration();
    if (!ids || !tool_.Connect(ids->vendorId, ids->productId)) {
        throw UsageError{"the simulated chip did not take the image"};
    }
}

ToolOnImage::~ToolOnImage() = default;

std::vector<std::uint8_t> ToolOnImage::CloseAndTakeImage()
{
    tool_.Session().Library().rmDeviceClose();
    std::vector<std::uint8_t> image = tool_.Session().Chip()->Eeprom();
    image.resize(EepromConfig::kImageSize);
    return image;
}

std::vector<std::uint8_t> ImageFileBytes(const std::string& path)
{
    std::vector<std::uint8_t> bytes = ReadInputFile(path, kLargestImageFile);
    bytes.resize(EepromConfig::kImageSize, 0xFF);
    return bytes;
}

}  // namespace tovrik::cli
