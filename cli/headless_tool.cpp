// SPDX-License-Identifier: MIT
#include "headless_tool.h"

#include <algorithm>

#include "app/demo_dlg.h"
#include "device/device_library.h"
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

HeadlessTool::HeadlessTool(DeviceLibrary& library, HidTransport& transport, MessageQueue& queue)
    : config_(library, prompter_), ui_(prompter_, queue), app_(ui_, library, config_)
{
    config_.SetHidTransport(&transport);
    app_.InitInstance(false);
}

HeadlessTool::~HeadlessTool() = default;

CDemoDlg& HeadlessTool::Window()
{
    return *app_.MainWindow();
}

void HeadlessTool::TypeInto(Dialog& page, int id, const std::string& text)
{
    if (Control* control = page.GetDlgItem(id)) {
        user_input::Type(page, *control, text);
        user_input::Leave(page, *control);
        ui_.DispatchPending();
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
    ui_.DispatchPending();
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
    ui_.DispatchPending();
}

bool HeadlessTool::Save()
{
    CDemoDlg& window = Window();
    const std::size_t before = prompter_.Messages().size();
    if (Control* save = window.GetDlgItem(IDC_SAVE_EEPROM)) {
        user_input::Click(window, *save);
    }
    ui_.DispatchPending();
    const std::vector<std::string> messages = prompter_.Messages();
    return messages.size() == before + 1 && messages.back() == kSaveDone;
}

namespace {

SimulatedChipOptions ChipHolding(const std::vector<std::uint8_t>& image)
{
    SimulatedChipOptions options;
    options.eepromSize = EepromConfig::kImageSize;
    options.initialEeprom.assign(
        image.begin(),
        image.begin() + std::min<std::size_t>(image.size(), EepromConfig::kImageSize));
    return options;
}

}  // namespace

ToolOnImage::ToolOnImage(const std::vector<std::uint8_t>& image)
    : chip_(ChipHolding(image)),
      transport_(chip_),
      library_(transport_, queue_),
      tool_(library_, transport_, queue_)
{
    const std::optional<HidDeviceInfo> ids = chip_.Enumeration();
    if (!ids || !tool_.Connect(ids->vendorId, ids->productId)) {
        throw UsageError{"the simulated chip did not take the image"};
    }
}

ToolOnImage::~ToolOnImage() = default;

std::vector<std::uint8_t> ToolOnImage::CloseAndTakeImage()
{
    library_.rmDeviceClose();
    std::vector<std::uint8_t> image = chip_.Eeprom();
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
