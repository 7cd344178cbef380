// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/demo_app.h"
#include "script/script_prompter.h"
#include "script/script_syntax.h"
#include "config/eeprom_config.h"
#include "services/backup_keeper.h"
#include "device/call_log_library.h"
#include "device/hid_device_library.h"
#include "device/sim/sim_transport.h"
#include "device/sim/simulated_chip.h"
#include "platform/dialog.h"
#include "platform/message_queue.h"

namespace tovrik {

class Control;

// A device library from outside the tool (a DLL) that a run uses instead of
// its own. Its notifications travel through the system's window messages, so
// the driver has them delivered before it looks at its queue.
struct ExternalLibrary {
    // Makes the library, posting into the run's queue; empty means none.
    std::function<std::unique_ptr<DeviceLibrary>(MessageQueue& queue)> make;
    // Delivers the window messages the library sent into the queue.
    std::function<void()> deliverMessages;
    // Set when the library reaches the run's simulated chip (over `transport`);
    // without it the run has no simulated chip.
    std::function<void(HidTransport& transport)> attachChip;
    // With attachChip: like HidDeviceLibrary's IsOpen, InputReportsHandled
    // and ForgetEepromContent, so the driver knows when the device is quiet.
    std::function<bool()> isOpen;
    std::function<std::uint64_t()> inputReportsHandled;
    std::function<void()> forgetEepromContent;
};

struct ScriptDriverOptions {
    // Relative file names of the script are taken from here; empty means the
    // current directory.
    std::string fileFolder;
    // How long the driver waits for the simulated device to go quiet after a command.
    std::chrono::milliseconds settleTimeout{5000};
    // A transport to a device outside the run (real hardware) used instead of
    // the simulated chip; `sim` commands, `print eeprom` and `print traffic`
    // then fail. It must outlive the driver.
    HidTransport* deviceTransport = nullptr;
    // With deviceTransport: the text shown when opening an interface with the
    // ids failed (empty shows nothing), ahead of the tool's own message.
    std::function<std::string(const std::string& path)> openFailureMessage;
    // The clock that names backups; empty uses the system's.
    std::function<std::time_t()> backupClock;
    // Where backups go; empty follows $XDG_STATE_HOME like the desktop tool.
    std::string backupFolder;
    ExternalLibrary external;
};

struct ScriptError {
    int line = 0;
    std::string reason;
};

// Runs a script against the tool's own application object, main window and
// pages, headless, on a simulated chip reached through the real device
// library; every prompt is answered by the script. The language is described
// in docs/scripting.md. The transcript goes to `out` as the script runs.
class ScriptDriver {
public:
    static constexpr int kExitOk = 0;
    static constexpr int kExitScriptError = 2;

    explicit ScriptDriver(std::ostream& out, ScriptDriverOptions options = {});
    ~ScriptDriver();
    ScriptDriver(const ScriptDriver&) = delete;
    ScriptDriver& operator=(const ScriptDriver&) = delete;

    // Runs the script from its first line; kExitOk when it ran to its end,
    // kExitScriptError at the first error (see Error()).
    int Run(std::string_view script);
    const ScriptError& Error() const { return error_; }

    SimulatedChip& Chip() { return chip_; }
    // The simulated chip's traffic for the backups' reads since the start of the run.
    const SimTraffic& BackupTraffic() const { return backupTraffic_; }
    CDemoApp& App() { return app_; }
    CallLogLibrary& CallLog() { return callLog_; }

private:
    // The log of the tool's own calls into the device library. It also counts
    // them for `sim fail-transfer`, so the reads for backups, which go below
    // it, never change which of the tool's transfers fails.
    class ToolCallLog : public CallLogLibrary {
    public:
        ToolCallLog(DeviceLibrary& inner, SimulatedChip& chip) : CallLogLibrary(inner), chip_(chip) {}
        // The n-th rmBurnEEPROM call from now fails; 0 cancels.
        void FailTransfer(int n);
        int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                         std::uint32_t count) override;

    private:
        SimulatedChip& chip_;
        int failCountdown_ = 0;
    };

    bool RunLine(std::string_view line);
    bool Execute(const std::vector<ScriptToken>& tokens);
    bool Fail(std::string reason);
    bool Usage(const std::vector<ScriptToken>& tokens, std::size_t minArgs, std::size_t maxArgs,
               const char* usage);

    // After every command: waits until the device is quiet and delivers every
    // window message, until neither has anything left.
    bool Settle();
    bool WaitForQuietDevice();
    bool LibraryOpen();
    std::uint64_t InputReportsHandled();
    void ForgetEepromContent();
    // Whether the run reaches a device outside it rather than its simulated chip.
    bool OutsideDevice() const;

    // False, with the script error, when the run has no simulated chip.
    bool RequireSimulatedChip();
    bool RequireWindow();
    // The control a TARGET names; owner is the window it belongs to.
    Control* FindTarget(const ScriptToken& target, Dialog*& owner);
    // A control a user can reach: visible and enabled.
    Control* FindUsableTarget(const ScriptToken& target, Dialog*& owner);
    std::string ResolvePath(const std::string& path) const;
    std::string WindowName(WindowHandle window);

    bool Start(const std::vector<ScriptToken>& t);
    bool Type(const std::vector<ScriptToken>& t);
    bool Click(const std::vector<ScriptToken>& t);
    bool Select(const std::vector<ScriptToken>& t);
    bool Slide(const std::vector<ScriptToken>& t);
    bool Leave(const std::vector<ScriptToken>& t);
    bool Key(const std::vector<ScriptToken>& t);
    bool Page(const std::vector<ScriptToken>& t);
    bool Mode(const std::vector<ScriptToken>& t);
    bool Close(const std::vector<ScriptToken>& t);
    bool Answer(const std::vector<ScriptToken>& t);
    bool File(const std::vector<ScriptToken>& t);
    bool Print(const std::vector<ScriptToken>& t);
    bool Sim(const std::vector<ScriptToken>& t);
    bool SimEeprom(const std::vector<ScriptToken>& t);
    bool SimEvent(const std::vector<ScriptToken>& t);

    std::ostream& out_;
    ScriptDriverOptions options_;
    ScriptError error_;
    int lineNumber_ = 0;
    bool started_ = false;
    SimTraffic lastTraffic_;

    // Declared in wiring order, so the application goes first and the chip last.
    MessageQueue queue_;
    SimulatedChip chip_;
    SimTransport transport_;
    HidDeviceLibrary library_;
    std::unique_ptr<DeviceLibrary> external_;
    ToolCallLog callLog_;
    BackupKeeper backups_;
    SimTraffic backupStart_;
    SimTraffic backupTraffic_;
    ScriptPrompter prompter_;
    EepromConfig config_;
    UiContext ui_;
    CDemoApp app_;
};

}  // namespace tovrik
