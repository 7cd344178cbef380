// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <string_view>
#include <vector>

#include "app/demo_app.h"
#include "device/call_log_library.h"
#include "device/sim/simulated_chip.h"
#include "platform/dialog.h"
#include "script/script_prompter.h"
#include "script/script_syntax.h"
#include "session/tool_session.h"
#include "station/station_dlg.h"

namespace tovrik {

class Control;

struct ScriptDriverOptions {
    // Relative file names of the script are taken from here; empty means the
    // current directory.
    std::string fileFolder;
    // How long the driver waits for the simulated device to go quiet after a command.
    std::chrono::milliseconds settleTimeout{5000};
    // A device outside the run (real hardware) instead of the simulated chip:
    // the transport registered under this name, or with `vendorLibrary` the
    // chip maker's device library at that path. `sim` commands, `print
    // eeprom` and `print traffic` then fail.
    std::string deviceTransport;
    std::string vendorLibrary;
    // The clock that names backups; empty uses the system's.
    std::function<std::time_t()> backupClock;
    // Where backups go; empty follows $XDG_STATE_HOME like the desktop tool.
    std::string backupFolder;
    // The simulated chip keeps its EEPROM in this file instead of memory, so
    // its writes are journaled as a real chip's are.
    std::string simulateFile;
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

    // Why the run's tool could not be built (a device library that cannot be
    // loaded, say); empty when it was. Run fails at once then.
    const std::string& BuildError() const { return buildError_; }

    SimulatedChip& Chip() { return *session_->Chip(); }
    // The simulated chip's traffic for the backups' reads since the start of the run.
    const SimTraffic& BackupTraffic() const { return backupTraffic_; }
    CDemoApp& App() { return session_->App(); }
    CallLogLibrary& CallLog() { return *session_->CallLog(); }

private:
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
    // The view a TARGET's prefix names ("backups:", "log:"); nullptr for none.
    Dialog* ViewOf(std::string_view& idText, std::string& viewName);
    // The traffic counts start anew when the tool moves to another simulated chip.
    void FollowChip();
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
    bool Wait(const std::vector<ScriptToken>& t);
    bool Answer(const std::vector<ScriptToken>& t);
    bool File(const std::vector<ScriptToken>& t);
    bool Print(const std::vector<ScriptToken>& t);
    bool Clock(const std::vector<ScriptToken>& t);
    bool Sim(const std::vector<ScriptToken>& t);
    bool SimEeprom(const std::vector<ScriptToken>& t);
    bool SimEvent(const std::vector<ScriptToken>& t);

    std::ostream& out_;
    ScriptDriverOptions options_;
    ScriptError error_;
    int lineNumber_ = 0;
    bool started_ = false;
    SimTraffic lastTraffic_;

    SimTraffic backupStart_;
    SimTraffic backupTraffic_;
    SimulatedChip* trafficChip_ = nullptr;
    // The reports handled and read before the chip of the current connection
    // was chosen: the two counts since then must agree for the device to be quiet.
    std::uint64_t handledBefore_ = 0;
    std::uint64_t readBefore_ = 0;
    // The status line's clock stays steady when the tool moves to another chip.
    SimulatedChip* clockChip_ = nullptr;
    std::uint64_t clockOffsetUs_ = 0;
    std::uint64_t clockLastUs_ = 0;
    // The wall clock set by `clock`, for backup names, the journal and the log.
    std::optional<std::time_t> fixedTime_;
    class FolderRecorder;
    std::unique_ptr<FolderRecorder> folders_;
    ScriptPrompter prompter_;
    std::string buildError_;
    std::unique_ptr<ToolSession> session_;
    // The station window, which the main window's "Station..." opens; gone before the session.
    std::unique_ptr<CStationDlg> station_;
};

}  // namespace tovrik
