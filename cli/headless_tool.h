// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dialog.h"
#include "platform/recording_prompter.h"
#include "session/config_models.h"
#include "session/tool_session.h"

namespace tovrik {
class CDemoDlg;
}  // namespace tovrik

namespace tovrik::cli {

// The tool's application object, main window and pages without a window
// system, on the session a description builds, so that the commands see and
// save exactly what the desktop tool would: the ids are typed and "Connect"
// is pressed. Messages and questions are recorded (every question answered OK).
class HeadlessTool {
public:
    // Throws UsageError when the session cannot be built.
    explicit HeadlessTool(const SessionDescription& description);
    ~HeadlessTool();
    HeadlessTool(const HeadlessTool&) = delete;
    HeadlessTool& operator=(const HeadlessTool&) = delete;

    // Types the ids into the main window and presses "Connect"; true when connected.
    bool Connect(std::uint16_t vendorId, std::uint16_t productId);
    // The four configuration pages' models on the loaded image, opened on
    // first use (after Connect), and the settings table over them.
    ConfigModels& Models();
    // Every page stores into the image and the image is saved into the
    // EEPROM, as "Save EEPROM" does; true when the save went through.
    bool SaveSettings();

    CDemoDlg& Window();
    ToolSession& Session() { return *session_; }
    // The texts of every message box shown so far.
    std::vector<std::string> Messages() const { return prompter_.Messages(); }

private:
    RecordingPrompter prompter_;
    std::unique_ptr<ToolSession> session_;
    std::unique_ptr<ConfigModels> models_;
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
    HeadlessTool tool_;
};

// The image a loaded chip holds, as 256 bytes: what `image show` loads.
std::vector<std::uint8_t> ImageFileBytes(const std::string& path);

}  // namespace tovrik::cli
