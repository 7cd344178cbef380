// SPDX-License-Identifier: MIT
#include "session/tool_session.h"

#include <cstdio>
#include <filesystem>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "app/window_services.h"
#include "device/sim/sim_transport.h"
#include "platform/file_manager.h"
#include "session/image_settings.h"
#include "session/platform_devices.h"

namespace tovrik {

PromptClock::PromptClock(Prompter& inner, Clock clock) : inner_(inner), clock_(std::move(clock))
{
    if (!clock_) {
        clock_ = [] {
            return std::chrono::duration_cast<std::chrono::microseconds>(
                std::chrono::steady_clock::now().time_since_epoch());
        };
    }
}

template <typename Prompt>
auto PromptClock::Timed(Prompt prompt)
{
    const auto start = clock_();
    auto result = prompt();
    spent_ += clock_() - start;
    return result;
}

void PromptClock::MessageBox(const std::string& text)
{
    Timed([&] {
        inner_.MessageBox(text);
        return 0;
    });
}

bool PromptClock::Question(const std::string& text)
{
    return Timed([&] { return inner_.Question(text); });
}

std::optional<std::string> PromptClock::OpenFile(const std::string& filter,
                                                 const std::string& defaultExtension)
{
    return Timed([&] { return inner_.OpenFile(filter, defaultExtension); });
}

std::optional<std::string> PromptClock::SaveFile(const std::string& filter,
                                                 const std::string& defaultExtension)
{
    return Timed([&] { return inner_.SaveFile(filter, defaultExtension); });
}

std::optional<std::string> PromptClock::OpenOrNewFile(const std::string& filter,
                                                      const std::string& defaultExtension)
{
    return Timed([&] { return inner_.OpenOrNewFile(filter, defaultExtension); });
}

// The log of the tool's own calls into the device library. It also counts
// them for FailTransfer, so the reads for backups, which go below it, never
// change which of the tool's transfers fails.
class ToolSession::CountedCallLog : public CallLogLibrary {
public:
    // `chip` gives the chip the tool is on at each call.
    CountedCallLog(DeviceLibrary& inner, std::function<SimulatedChip*()> chip)
        : CallLogLibrary(inner), chip_(std::move(chip))
    {
    }

    void FailTransfer(int n)
    {
        failCountdown_ = n;
        if (SimulatedChip* chip = chip_()) {
            chip->FailEepromTransfer(0);
        }
    }

    int rmBurnEEPROM(int direction, std::uint32_t address, std::uint8_t* buffer,
                     std::uint32_t count) override
    {
        if (failCountdown_ > 0 && --failCountdown_ == 0) {
            if (SimulatedChip* chip = chip_()) {
                chip->FailEepromTransfer(1);
            }
        }
        return CallLogLibrary::rmBurnEEPROM(direction, address, buffer, count);
    }

private:
    std::function<SimulatedChip*()> chip_;
    int failCountdown_ = 0;
};

std::unique_ptr<ToolSession> ToolSession::Build(const SessionDescription& description,
                                                Prompter& prompter, std::string& error)
{
    return Build(description, prompter, error, SystemDevices());
}

std::unique_ptr<ToolSession> ToolSession::Build(const SessionDescription& description,
                                                Prompter& prompter, std::string& error,
                                                const PlatformDevices& platform)
{
    std::unique_ptr<ToolSession> session(new ToolSession(description, prompter));
    if (!session->Wire(error, platform)) {
        return nullptr;
    }
    return session;
}

ToolSession::ToolSession(const SessionDescription& description, Prompter& prompter)
    : description_(description),
      backups_(description.backupFolder.empty() ? BackupKeeper::DefaultFolder()
                                                : description.backupFolder),
      log_(!description.keepLog            ? std::string()
           : description.logFolder.empty() ? SessionLog::DefaultFolder()
                                           : description.logFolder),
      prompts_(prompter, description.clock)
{
    if (description.backupClock) {
        backups_.SetClock(description.backupClock);
        log_.SetClock(description.backupClock);
    }
}

bool ToolSession::Wire(std::string& error, const PlatformDevices& platform)
{
    const ChipChoice& choice = description_.chip;
    access_ = ChipAccess::Open(choice, error, platform);
    if (!access_) {
        return false;
    }
    if (!choice.simulate && description_.keepSimulatedChip) {
        ChipChoice spare = choice;
        spare.simulate = true;
        spare.backingFile.clear();
        spare_ = ChipAccess::Open(spare, error, platform);
        if (!spare_) {
            return false;
        }
    }
    chips_ = std::make_unique<ChipsWithImageFile>(access_->Transport());
    view_ = std::make_unique<InterfaceView>(*chips_, choice.path);
    own_ = std::make_unique<HidDeviceLibrary>(*view_, queue_);
    if (!choice.vendorLibrary.empty()) {
        adapter_ = platform.Adapter();
        if (adapter_ == nullptr) {
            error = "this build cannot load the chip maker's device library";
            return false;
        }
        external_ = adapter_->load(choice.vendorLibrary, error);
        if (!external_) {
            return false;
        }
        // Without its window the library opens no device, and the tool says it cannot find one.
        if (!description_.libraryWaitsForWindow && !ConnectExternalLibrary(nullptr)) {
            error = "the device library's messages cannot reach the tool";
            return false;
        }
    } else if (description_.external.make) {
        external_ = description_.external.make(*view_, queue_);
        if (description_.external.attachChip) {
            description_.external.attachChip(access_->Transport());
        }
    }
    counter_ = std::make_unique<WriteCountingLibrary>(external_ ? *external_ : *own_);
    // The journal stays out of use while the tool is on an in-memory chip,
    // which nothing outlives; an image file opened later uses it.
    journal_ = std::make_unique<WriteJournal>(description_.journalFolder.empty()
                                                  ? WriteJournal::DefaultFolder()
                                                  : description_.journalFolder);
    if (description_.backupClock) {
        journal_->SetClock(description_.backupClock);
    }
    journaled_ = std::make_unique<JournaledLibrary>(DeviceLibraryInUse(), *journal_);
    journalInUse_ = !choice.simulate || !choice.backingFile.empty();
    if (description_.callLog) {
        callLog_ = std::make_unique<CountedCallLog>(*journaled_, [this] { return Chip(); });
    }
    config_ = std::make_unique<EepromConfig>(Library(), prompts_);
    ui_ = std::make_unique<UiContext>(prompts_, queue_);
    app_ = std::make_unique<CDemoApp>(*ui_, Library(), *config_);

    config_->SetHidTransport(view_.get());
    app_->SetDeviceDirectory(own_.get());
    // A command's duration is the time it took without the prompts it showed.
    app_->SetClock([this] { return prompts_.Now() - prompts_.Spent(); });
    if (description_.backupsBeforeWrites) {
        // Backups read through the library itself, below any call log.
        app_->Context().SetBackups(&backups_, &DeviceLibraryInUse());
        app_->Context().SetTellBackupAfterFailure(true);
        app_->Context().SetJournal(journalInUse_ ? journaled_.get() : nullptr,
                                   description_.askAboutUnfinishedWrites);
    }
    app_->Context().SetChipFile(choice.simulate ? choice.backingFile : std::string());
    ProvideWindowServices();
    // Says why a device with the ids could not be opened (no permission, say)
    // before the tool's own "cannot find" message.
    own_->SetOpenFailureHandler([this](const HidDeviceInfo& info) {
        if (const std::string text = view_->OpenFailureMessage(info.path); !text.empty()) {
            prompts_.MessageBox(text);
        }
    });
    return true;
}

void ToolSession::ProvideWindowServices()
{
    WindowServices services;
    services.openImageFile = [this](const std::string& file, std::string& error) {
        return OpenImageFile(file, error);
    };
    services.useChip = [this](const std::string& path) { return UseChip(path); };
    services.compareImages = CompareImageSettings;
    services.bytesWritten = [this] { return counter_->BytesWritten(); };
    services.log = &log_;
    services.fileManager =
        description_.fileManager != nullptr ? description_.fileManager : &SystemFileManager();
    app_->SetServices(std::move(services));
}

std::string ToolSession::UseChip(const std::string& path)
{
    const std::string file = chips_->ImageFileAt(path);
    imageInUse_ = !file.empty();
    const ChipChoice& choice = description_.chip;
    journalInUse_ = imageInUse_ || !choice.simulate || !choice.backingFile.empty();
    PageContext& context = app_->Context();
    if (description_.backupsBeforeWrites) {
        context.SetJournal(journalInUse_ ? journaled_.get() : nullptr,
                           description_.askAboutUnfinishedWrites);
    }
    context.SetChipFile(imageInUse_ ? file : choice.simulate ? choice.backingFile : std::string());
    if (chipObserver_) {
        chipObserver_();
    }
    return file;
}

std::optional<HidDeviceInfo> ToolSession::OpenImageFile(const std::string& file, std::string& error)
{
    if (imageInUse_ && OwnLibrary().IsOpen()) {
        error = "the image file open now is still connected";
        return std::nullopt;
    }
    if (ChipAccess* old = chips_->ImageChip()) {
        TellDeviceChanges(old->Transport(), kNoWindow);
    }
    std::optional<HidDeviceInfo> info = chips_->OpenImageFile(file, error);
    if (ChipAccess* now = chips_->ImageChip()) {
        CDemoDlg* window = app_->MainWindow();
        TellDeviceChanges(now->Transport(), window != nullptr ? window->Handle() : kNoWindow);
    }
    return info;
}

void ToolSession::TellDeviceChanges(HidTransport& transport, WindowHandle window)
{
    if (auto* sim = dynamic_cast<SimTransport*>(&transport)) {
        sim->SetDeviceChangeTarget(window != kNoWindow ? &queue_ : nullptr, window);
    }
}

ToolSession::~ToolSession()
{
    // The members go in the reverse of their order: the application and its
    // window before the libraries they call, and those before the chip.
    if (access_) {
        TellDeviceChanges(access_->Transport(), kNoWindow);
    }
    if (chips_ && chips_->ImageChip() != nullptr) {
        TellDeviceChanges(chips_->ImageChip()->Transport(), kNoWindow);
    }
}

SimulatedChip* ToolSession::Chip()
{
    if (imageInUse_ && chips_->ImageChip() != nullptr) {
        return chips_->ImageChip()->Chip();
    }
    if (SimulatedChip* chip = access_->Chip()) {
        return chip;
    }
    return spare_ ? spare_->Chip() : nullptr;
}

DeviceLibrary& ToolSession::Library()
{
    if (callLog_) {
        return *callLog_;
    }
    if (journaled_) {
        return *journaled_;
    }
    return DeviceLibraryInUse();
}

CallLogLibrary* ToolSession::CallLog()
{
    return callLog_.get();
}

void ToolSession::FailTransfer(int n)
{
    if (callLog_) {
        callLog_->FailTransfer(n);
    }
}

bool ToolSession::OutsideDevice() const
{
    if (access_->Chip() == nullptr) {
        return true;
    }
    return external_ != nullptr && !description_.external.attachChip;
}

bool ToolSession::ConnectExternalLibrary(void* window)
{
    if (!external_ || adapter_ == nullptr || !adapter_->connect) {
        return true;
    }
    return adapter_->connect(*external_, queue_, window);
}

void ToolSession::DeliverExternalMessages()
{
    if (adapter_ != nullptr && adapter_->deliverMessages) {
        adapter_->deliverMessages();
    } else if (description_.external.deliverMessages) {
        description_.external.deliverMessages();
    }
}

int ToolSession::StartDevice()
{
    SimulatedChip* chip = Chip();
    const std::optional<HidDeviceInfo> info = chip != nullptr ? chip->Enumeration() : std::nullopt;
    if (!info) {
        return 0;
    }
    return Library().rmDeviceStart(info->vendorId, info->productId, 1, 0, DeviceAddedMessage,
                                   DeviceRemovedMessage);
}

int ToolSession::Start(bool takeInstanceLock)
{
    if (app_->InitInstance(takeInstanceLock) == 0) {
        return 0;
    }
    changes_ = std::make_unique<PendingChanges>(*app_);
    // Plugging and unplugging the simulated chip is announced as the system announces devices.
    TellDeviceChanges(access_->Transport(), app_->MainWindow()->Handle());
    return 1;
}

std::string ToolSession::WindowTitle()
{
    std::string title = app_->MainWindow() != nullptr ? app_->MainWindow()->Title() : std::string();
    SimulatedChip* chip = imageInUse_ ? Chip() : access_->Chip();
    if (chip == nullptr) {
        return title;
    }
    title += " \u2014 simulated chip";
    if (const auto info = chip->Enumeration()) {
        char ids[16];
        std::snprintf(ids, sizeof ids, " %04X:%04X", info->vendorId, info->productId);
        title += ids;
    } else {
        title += " (unplugged)";
    }
    const std::string& file = imageInUse_ ? chips_->ImageFile() : description_.chip.backingFile;
    if (!file.empty()) {
        title += ", EEPROM in " + std::filesystem::path(file).filename().string();
    }
    return title;
}

}  // namespace tovrik
