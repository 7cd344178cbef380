// SPDX-License-Identifier: MIT
#include "session/headless_tool.h"

#include <algorithm>
#include <cstdio>

#include "app/demo_dlg.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"

namespace tovrik {

namespace {

std::string Hex4(std::uint16_t value)
{
    char text[8];
    std::snprintf(text, sizeof text, "%04x", value);
    return text;
}

// An in-memory chip holding the image: nothing of it outlives the tool,
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

std::unique_ptr<HeadlessTool> HeadlessTool::Build(const SessionDescription& description,
                                                  std::string& error)
{
    std::unique_ptr<HeadlessTool> tool(new HeadlessTool);
    tool->session_ = ToolSession::Build(description, tool->prompter_, error);
    if (!tool->session_) {
        return nullptr;
    }
    tool->session_->Start(false);
    return tool;
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

std::unique_ptr<ToolOnImage> ToolOnImage::Open(const std::vector<std::uint8_t>& image,
                                               std::string& error)
{
    std::unique_ptr<HeadlessTool> tool = HeadlessTool::Build(ChipHolding(image), error);
    if (!tool) {
        return nullptr;
    }
    const std::optional<HidDeviceInfo> ids = tool->Session().Chip()->Enumeration();
    if (!ids || !tool->Connect(ids->vendorId, ids->productId)) {
        error = "the simulated chip did not take the image";
        return nullptr;
    }
    return std::unique_ptr<ToolOnImage>(new ToolOnImage(std::move(tool)));
}

ToolOnImage::~ToolOnImage() = default;

std::vector<std::uint8_t> ToolOnImage::CloseAndTakeImage()
{
    tool_->Session().Library().rmDeviceClose();
    std::vector<std::uint8_t> image = tool_->Session().Chip()->Eeprom();
    image.resize(EepromConfig::kImageSize);
    return image;
}

bool ImageWithSettings(const std::vector<std::uint8_t>& image,
                       const SettingAssignments& assignments, std::vector<std::uint8_t>& result,
                       std::string& error)
{
    std::unique_ptr<ToolOnImage> loaded = ToolOnImage::Open(image, error);
    if (!loaded) {
        return false;
    }
    HeadlessTool& tool = loaded->Tool();
    SettingsTable& table = tool.Models().Table();
    for (const auto& [key, value] : assignments) {
        if (!table.Assign(key, value, error)) {
            return false;
        }
    }
    if (!tool.SaveSettings()) {
        error = "the image cannot hold these settings";
        for (const std::string& message : tool.Messages()) {
            error += "; " + message;
        }
        return false;
    }
    result = loaded->CloseAndTakeImage();
    return true;
}

}  // namespace tovrik
