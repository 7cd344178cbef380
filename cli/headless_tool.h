// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "app/demo_app.h"
#include "config/eeprom_config.h"
#include "device/hid_device_library.h"
#include "device/sim/sim_transport.h"
#include "device/sim/simulated_chip.h"
#include "platform/message_queue.h"
#include "platform/dialog.h"
#include "platform/recording_prompter.h"

namespace tovrik {
class CDemoDlg;
class DeviceLibrary;
class HidTransport;
class MessageQueue;
}  // namespace tovrik

namespace tovrik::cli {

// The tool's application object, main window and pages without a window
// system, on a device library, so that the commands see and save exactly what
// the desktop tool would: the ids are typed and "Connect" is pressed.
class HeadlessTool {
public:
    HeadlessTool(DeviceLibrary& library, HidTransport& transport, MessageQueue& queue);
    ~HeadlessTool();
    HeadlessTool(const HeadlessTool&) = delete;
    HeadlessTool& operator=(const HeadlessTool&) = delete;

    // Types the ids into the main window and presses "Connect"; true when connected.
    bool Connect(std::uint16_t vendorId, std::uint16_t productId);
    // Shows each of the four configuration pages once, as a user leafing
    // through them would, so every page's window shows the loaded image.
    void ShowConfigPages();
    // Presses "Save EEPROM"; true when the tool reported the save as done.
    bool Save();

    CDemoDlg& Window();
    // Types `text` into control `id` of `page` and leaves the field.
    void TypeInto(Dialog& page, int id, const std::string& text);
    // The texts of every message box shown so far.
    std::vector<std::string> Messages() const { return prompter_.Messages(); }

private:
    RecordingPrompter prompter_;
    EepromConfig config_;
    UiContext ui_;
    CDemoApp app_;
};

// The tool connected to a simulated chip whose EEPROM holds `image` (its
// first 256 bytes); throws UsageError when the chip does not take it.
class ToolOnImage {
public:
    explicit ToolOnImage(const std::vector<std::uint8_t>& image);
    ~ToolOnImage();
    ToolOnImage(const ToolOnImage&) = delete;
    ToolOnImage& operator=(const ToolOnImage&) = delete;

    HeadlessTool& Tool() { return tool_; }
    // Ends the connection and returns the first 256 bytes of the EEPROM.
    std::vector<std::uint8_t> CloseAndTakeImage();

private:
    SimulatedChip chip_;
    SimTransport transport_;
    MessageQueue queue_;
    HidDeviceLibrary library_;
    HeadlessTool tool_;
};

// The image a loaded chip holds, as 256 bytes: what `image show` loads.
std::vector<std::uint8_t> ImageFileBytes(const std::string& path);

}  // namespace tovrik::cli
