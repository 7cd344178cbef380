// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <ctime>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "app/demo_app.h"
#include "config/eeprom_config.h"
#include "device/call_log_library.h"
#include "device/device_library.h"
#include "device/hid_device_library.h"
#include "device/sim/simulated_chip.h"
#include "device/write_counting_library.h"
#include "platform/dialog.h"
#include "platform/message_queue.h"
#include "platform/prompter.h"
#include "services/backup_keeper.h"
#include "services/journaled_library.h"
#include "services/session_log.h"
#include "services/write_journal.h"
#include "session/chip_access.h"
#include "session/chip_choice.h"
#include "session/image_file_chip.h"
#include "session/pending_changes.h"

namespace tovrik {

class CDemoDlg;
class FileManager;
class PlatformDevices;
struct LibraryAdapter;

// A device library from outside the tool that a session uses instead of its
// own, given as functions (a stand-in of the chip maker's library in tests).
// Its notifications travel through the system's window messages, so they are
// delivered before the session's queue is looked at.
struct ExternalLibrary {
    // Makes the library over the session's view of the interfaces, posting
    // into its queue; empty means none.
    std::function<std::unique_ptr<DeviceLibrary>(HidTransport& view, MessageQueue& queue)> make;
    // Delivers the window messages the library sent into the queue.
    std::function<void()> deliverMessages;
    // Set when the library reaches the session's simulated chip (over
    // `transport`); without it the session has no simulated chip of its own.
    std::function<void(HidTransport& transport)> attachChip;
    // With attachChip: like HidDeviceLibrary's IsOpen, InputReportsHandled
    // and ForgetEepromContent, so the driver knows when the device is quiet.
    std::function<bool()> isOpen;
    std::function<std::uint64_t()> inputReportsHandled;
    std::function<void()> forgetEepromContent;
};

// Everything a session is built from.
struct SessionDescription {
    ChipChoice chip;
    // The tool's own calls into the device library are logged, and the n-th
    // EEPROM transfer from a moment on can be made to fail (FailTransfer).
    bool callLog = false;
    // A simulated chip stays at hand even when the tool reaches a device
    // outside the session (a script's `sim` commands then have nothing to do).
    bool keepSimulatedChip = false;
    // Backups are kept by the pages' own writes, and a failed write names the
    // backup. Without it the keeper is still there for the caller to use.
    bool backupsBeforeWrites = true;
    // Where backups go (empty: the user's state folder) and what names them.
    std::string backupFolder;
    std::function<std::time_t()> backupClock;
    // The clock a command's duration is measured by; empty: the system's steady clock.
    std::function<std::chrono::microseconds()> clock;
    // Where the journal of writes in progress goes (empty: the user's state
    // folder). An in-memory simulated chip, which nothing outlives, has none.
    std::string journalFolder;
    // After a connection to a chip an unfinished write left in doubt, the
    // main window asks whether to write its backup back (the device
    // commands warn instead).
    bool askAboutUnfinishedWrites = true;
    // The chip maker's library is connected to a window of the front end's
    // later (ConnectExternalLibrary); otherwise it gets a hidden one at once.
    bool libraryWaitsForWindow = false;
    // A library of functions instead of the chip maker's real one.
    ExternalLibrary external;
    // The window's commands are kept in the log's day files (in `logFolder`,
    // empty: the user's state folder), dated by `backupClock`; without it
    // the log is only listed in memory.
    bool keepLog = false;
    std::string logFolder;
    // Shows the backups folder; nullptr: the system's file manager.
    FileManager* fileManager = nullptr;
};

// Passes every prompt on and counts the time spent in them, so that how long
// a command took leaves out the time its questions and messages waited for
// the user.
class PromptClock : public Prompter {
public:
    using Clock = std::function<std::chrono::microseconds()>;
    // `clock` empty: the system's steady clock.
    PromptClock(Prompter& inner, Clock clock);

    std::chrono::microseconds Now() const { return clock_(); }
    std::chrono::microseconds Spent() const { return spent_; }

    void MessageBox(const std::string& text) override;
    bool Question(const std::string& text) override;
    std::optional<std::string> OpenFile(const std::string& filter,
                                        const std::string& defaultExtension) override;
    std::optional<std::string> SaveFile(const std::string& filter,
                                        const std::string& defaultExtension) override;
    std::optional<std::string> OpenOrNewFile(const std::string& filter,
                                             const std::string& defaultExtension) override;

private:
    template <typename Prompt>
    auto Timed(Prompt prompt);

    Prompter& inner_;
    Clock clock_;
    std::chrono::microseconds spent_{0};
};

// The whole tool without its windows, built from one description: the chip
// (simulated, or the system's interfaces through a registered transport),
// the device library (ours, the chip maker's, or one of functions), its call
// log, the backups, the configuration image, the dialogs' context and the
// application object. Every front end builds its tool through this.
class ToolSession {
public:
    // nullptr, with `error` saying why, when the description cannot be used
    // (a backing file of no EEPROM size, a device library that cannot be
    // loaded, a transport this build lacks).
    static std::unique_ptr<ToolSession> Build(const SessionDescription& description,
                                              Prompter& prompter, std::string& error);
    static std::unique_ptr<ToolSession> Build(const SessionDescription& description,
                                              Prompter& prompter, std::string& error,
                                              const PlatformDevices& platform);
    ~ToolSession();
    ToolSession(const ToolSession&) = delete;
    ToolSession& operator=(const ToolSession&) = delete;

    // Opens the simulated chip through the library without the main window,
    // with the ids it answers to now; 0 when it cannot be opened.
    int StartDevice();

    // Start-up of the application object; 0 when another instance runs.
    int Start(bool takeInstanceLock);

    // The window title: the main window's, plus what the tool runs on when
    // that is the simulated chip (with the ids it answers to now).
    std::string WindowTitle();

    CDemoApp& App() { return *app_; }
    CDemoDlg* MainWindow() { return app_->MainWindow(); }
    UiContext& Ui() { return *ui_; }
    MessageQueue& Queue() { return queue_; }
    EepromConfig& Config() { return *config_; }
    // The simulated chip the tool is on: an image file's while a connection
    // to it is open, else the chosen one. nullptr unless simulated (or kept at hand).
    SimulatedChip* Chip();
    // What the tool lists and opens; RestrictTo narrows it to one interface.
    InterfaceView& Transport() { return *view_; }
    void RestrictTo(const std::string& path) { view_->SetPath(path); }
    DeviceDirectory& Directory() { return *own_; }
    HidDeviceLibrary& OwnLibrary() { return *own_; }
    // The library below the call log: what backups read through. It counts
    // the bytes written through it.
    DeviceLibrary& DeviceLibraryInUse() { return *counter_; }
    // The library the tool's operations go through.
    DeviceLibrary& Library();
    // nullptr unless the description asked for a call log.
    CallLogLibrary* CallLog();
    // The n-th EEPROM transfer of the tool from now fails; 0 cancels. Needs
    // the call log and a simulated chip.
    void FailTransfer(int n);
    bool HasExternalLibrary() const { return external_ != nullptr; }
    // Lets the chip maker's library post into the session's queue through
    // `window` (a system window; nullptr: a hidden one of its own). True
    // without such a library.
    bool ConnectExternalLibrary(void* window);
    // Delivers what an outside library posted through the system's window messages.
    void DeliverExternalMessages();
    const ExternalLibrary& ExternalHooks() const { return description_.external; }
    // Whether the tool reaches a device outside the session rather than its
    // simulated chip.
    bool OutsideDevice() const;
    BackupKeeper& Backups() { return backups_; }
    // nullptr while the tool is on an in-memory simulated chip.
    WriteJournal* Journal() { return journalInUse_ ? journal_.get() : nullptr; }
    // The window's commands.
    SessionLog& Log() { return log_; }
    // Opens an image file as a simulated chip beside the others (see
    // ChipsWithImageFile); its interface, or nothing with `error`.
    std::optional<HidDeviceInfo> OpenImageFile(const std::string& file, std::string& error);
    // The image file open as a chip now; empty for none.
    const std::string& ImageFile() const { return chips_->ImageFile(); }
    // Told when a connection is about to open a chip, with no device open,
    // so a watcher of the chip's traffic can start counting anew.
    void SetChipObserver(std::function<void()> observer) { chipObserver_ = std::move(observer); }
    // The prompter every prompt of the tool goes through.
    Prompter& Prompts() { return prompts_; }
    // What the pages' edits change against the chip; nullptr before Start.
    PendingChanges* Changes() { return changes_.get(); }

private:
    class CountedCallLog;

    ToolSession(const SessionDescription& description, Prompter& prompter);
    bool Wire(std::string& error, const PlatformDevices& platform);
    void ProvideWindowServices();
    // A connection opens the interface at `path`: the chip's file and journal
    // follow it. Returns the image file behind it, empty for any other chip.
    std::string UseChip(const std::string& path);
    void TellDeviceChanges(HidTransport& transport, WindowHandle window);

    SessionDescription description_;
    MessageQueue queue_;
    std::unique_ptr<ChipAccess> access_;
    // The simulated chip kept at hand beside a device outside the session.
    std::unique_ptr<ChipAccess> spare_;
    std::unique_ptr<ChipsWithImageFile> chips_;
    bool imageInUse_ = false;
    std::function<void()> chipObserver_;
    const LibraryAdapter* adapter_ = nullptr;
    std::unique_ptr<InterfaceView> view_;
    std::unique_ptr<HidDeviceLibrary> own_;
    std::unique_ptr<DeviceLibrary> external_;
    std::unique_ptr<WriteCountingLibrary> counter_;
    std::unique_ptr<CountedCallLog> callLog_;
    BackupKeeper backups_;
    SessionLog log_;
    std::unique_ptr<WriteJournal> journal_;
    bool journalInUse_ = false;
    std::unique_ptr<JournaledLibrary> journaled_;
    PromptClock prompts_;
    std::unique_ptr<EepromConfig> config_;
    std::unique_ptr<UiContext> ui_;
    std::unique_ptr<CDemoApp> app_;
    // Follows the main window, so it goes before it.
    std::unique_ptr<PendingChanges> changes_;
};

}  // namespace tovrik
