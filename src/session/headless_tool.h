// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "platform/recording_prompter.h"
#include "session/config_models.h"
#include "session/tool_session.h"

namespace tovrik {

class CDemoDlg;

// The tool's application object, main window and pages without a window
// system, on the session a description builds, so that what is read and
// saved is exactly what the desktop tool would: the ids are typed and
// "Connect" is pressed. Messages and questions are recorded (every question
// answered OK).
class HeadlessTool {
public:
    // nullptr, with `error`, when the session cannot be built.
    static std::unique_ptr<HeadlessTool> Build(const SessionDescription& description,
                                               std::string& error);
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
    HeadlessTool() = default;

    RecordingPrompter prompter_;
    std::unique_ptr<ToolSession> session_;
    std::unique_ptr<ConfigModels> models_;
};

// The tool connected to an in-memory simulated chip whose EEPROM holds
// `image` (its first 256 bytes).
class ToolOnImage {
public:
    // nullptr, with `error`, when the chip does not take the image.
    static std::unique_ptr<ToolOnImage> Open(const std::vector<std::uint8_t>& image,
                                             std::string& error);
    ~ToolOnImage();
    ToolOnImage(const ToolOnImage&) = delete;
    ToolOnImage& operator=(const ToolOnImage&) = delete;

    HeadlessTool& Tool() { return *tool_; }
    // Ends the connection and returns the first 256 bytes of the EEPROM.
    std::vector<std::uint8_t> CloseAndTakeImage();

private:
    explicit ToolOnImage(std::unique_ptr<HeadlessTool> tool) : tool_(std::move(tool)) {}

    std::unique_ptr<HeadlessTool> tool_;
};

// KEY=VALUE assignments of the settings table, in the order given.
using SettingAssignments = std::vector<std::pair<std::string, std::string>>;

// The 256-byte image that the window saves after loading `image` (its first
// 256 bytes) from a chip and setting the values on its pages, in `result`.
// False, with the table's or the tool's reason in `error`, when the image
// cannot hold them.
bool ImageWithSettings(const std::vector<std::uint8_t>& image,
                       const SettingAssignments& assignments, std::vector<std::uint8_t>& result,
                       std::string& error);

}  // namespace tovrik
