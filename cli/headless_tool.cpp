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

// The main window's report of a save that went through.
constexpr const char* kSaveDone =
    "Save into EEPROM completely.\n\nPlease un-plug and re-plug the USB device for the changes "
    "to take effect !!!";
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

void HeadlessTool::TypeInto(Dialog& page, int id, const std::string& text)
{
    if (Control* control = page.GetDlgItem(id)) {
        user_input::Type(page, *control, text);
        user_input::Leave(page, *control);
        session_->Ui().DispatchPending();
    }
}

bool HeadlessTool::Connect(std::uint16_t vendorId, std::uint16_t productId)
{
    CDemoDlg& window = Window();
    TypeInto(window, IDC_VID, Hex4(vendorId));
    TypeInto(window, IDC_PID, Hex4(productId));
    if (Control* connect = window.GetDlgItem(IDC_CONNECT)) {
        user_input::Click(window, *connect);
    }
    session_->Ui().DispatchPending();
    return window.IsConnected() != 0;
}

void HeadlessTool::ShowConfigPages()
{
    CDemoDlg& window = Window();
    PropertyPage* first = window.Sheet().GetActivePage();
    for (CConfigPage* page : window.ConfigPages()) {
        window.Sheet().SetActivePage(page);
    }
    window.Sheet().SetActivePage(first);
    session_->Ui().DispatchPending();
}

bool HeadlessTool::Save()
{
    CDemoDlg& window = Window();
    const std::size_t before = prompter_.Messages().size();
    if (Control* save = window.GetDlgItem(IDC_SAVE_EEPROM)) {
        user_input::Click(window, *save);
    }
    session_->Ui().DispatchPending();
    const std::vector<std::string> messages = prompter_.Messages();
    return messages.size() == before + 1 && messages.back() == kSaveDone;
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
