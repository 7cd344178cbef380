// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <memory>
#include <optional>
#include <string>

#include "app/demo_app.h"
#include "config/eeprom_config.h"
#include "device/device_library.h"
#include "device/hid_device_library.h"
#include "device/hid_transport.h"
#include "device/sim/simulated_chip.h"
#include "services/backup_keeper.h"
#include "platform/dialog.h"
#include "platform/message_queue.h"

namespace tovrik {

class CDemoDlg;

// How the tool reaches its chip.
struct DeviceChoice {
    bool simulate = false;
    // EEPROM backing file of the simulated chip; empty keeps it in memory.
    std::string backingFile;
    std::optional<int> deviceCode;
    bool realTiming = false;
};

// The chip options for a simulated chip backed by `file`: the factory image,
// and an EEPROM as large as an existing file (256, 512, 1024 or 2048 bytes).
// Sets `error` and returns nothing for a file of another size, one that cannot
// be read and written, or a missing one whose folder does not exist.
std::optional<SimulatedChipOptions> SimulatedChipFor(const DeviceChoice& choice,
                                                     std::string& error);

// Passes every prompt on and counts the time spent in them, so that how long
// a command took leaves out the time its questions and messages waited for
// the user.
class PromptClock : public Prompter {
public:
    explicit PromptClock(Prompter& inner) : inner_(inner) {}

    std::chrono::microseconds Spent() const { return spent_; }

    void MessageBox(const std::string& text) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFile(const std::string& filter,
                                        const std::string& defaultExtension) override;
    std::optional<std::string> SaveFile(const std::string& filter,
                                        const std::string& defaultExtension) override;

private:
    template <typename Prompt>
    auto Timed(Prompt prompt);

    Prompter& inner_;
    std::chrono::microseconds spent_{0};
};

// The whole tool without its windows: device access (the simulated chip or
// the system's HID interfaces), the device library, backups before writes,
// the configuration image, the dialogs' context and the application object.
// Front ends render its main window.
class ToolSession {
public:
    // `chipOptions` is used only when the choice is to simulate; otherwise
    // `hardware` reaches the real chips (none without it). With `external` (the chip maker's
    // library, say) the tool's operations and backups go through it, while
    // `hardware` still lists the chips and tells their device type.
    ToolSession(const DeviceChoice& choice, const SimulatedChipOptions& chipOptions,
                Prompter& prompter, std::unique_ptr<HidTransport> hardware = nullptr,
                std::unique_ptr<DeviceLibrary> external = nullptr);
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    // Start-up of the application object; 0 when another instance runs.
    int Start(bool takeInstanceLock);

    // The window title: the main window's, plus what the tool runs on when
    // that is the simulated chip (with the ids it answers to now).
    std::string WindowTitle();

    CDemoApp& App() { return app_; }
    CDemoDlg* MainWindow() { return app_.MainWindow(); }
    UiContext& Ui() { return ui_; }
    MessageQueue& Queue() { return queue_; }
    // nullptr unless simulated.
    SimulatedChip* Chip() { return chip_.get(); }
    DeviceDirectory& Directory() { return library_; }
    // The library the tool's operations go through.
    DeviceLibrary& Library() { return external_ ? *external_ : library_; }

private:
    std::string backingFile_;
    MessageQueue queue_;
    std::unique_ptr<SimulatedChip> chip_;
    std::unique_ptr<HidTransport> transport_;
    HidDeviceLibrary library_;
    std::unique_ptr<DeviceLibrary> external_;
    PromptClock prompts_;
    BackupKeeper backups_;
    EepromConfig config_;
    UiContext ui_;
    CDemoApp app_;
};

}  // namespace tovrik
