// SPDX-License-Identifier: MIT
#include "app/tool_session.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "device/no_device_transport.h"
#include "device/sim/sim_transport.h"
#include "platform/safe_file.h"

namespace tovrik {

namespace {

std::unique_ptr<SimulatedChip> MakeChip(const DeviceChoice& choice,
                                        const SimulatedChipOptions& options)
{
    if (!choice.simulate) {
        return nullptr;
    }
    return std::make_unique<SimulatedChip>(options);
}

std::unique_ptr<HidTransport> MakeTransport(SimulatedChip* chip,
                                            std::unique_ptr<HidTransport> hardware)
{
    if (chip != nullptr) {
        return std::make_unique<SimTransport>(*chip);
    }
    if (hardware != nullptr) {
        return hardware;
    }
    return std::make_unique<NoDeviceTransport>();
}

}  // namespace

std::optional<SimulatedChipOptions> SimulatedChipFor(const DeviceChoice& choice, std::string& error)
{
    SimulatedChipOptions options = FactoryChipOptions();
    if (choice.deviceCode) {
        options.deviceCode = static_cast<std::uint8_t>(*choice.deviceCode);
    }
    if (choice.backingFile.empty()) {
        return options;
    }
    const std::string& file = choice.backingFile;
    options.backingFile = file;
    if (!FileExists(file)) {
        // A file that cannot be made would fail every save later, as if the chip were faulty.
        std::error_code ec;
        const std::filesystem::path folder = std::filesystem::absolute(file, ec).parent_path();
        if (!std::filesystem::is_directory(folder, ec)) {
            error = file + ": the folder " + folder.string() + " does not exist";
            return std::nullopt;
        }
        if (!MayWrite(folder.string())) {
            error = file + ": the folder " + folder.string() + " cannot be written";
            return std::nullopt;
        }
        return options;
    }
    std::vector<std::uint8_t> bytes;
    if (!ReadFileBounded(file, kMaxImageFileBytes, bytes, error)) {
        return std::nullopt;
    }
    // A file of another size (a crash may have cut it short) is no EEPROM
    // image; taking it as an erased EEPROM would lose it without a word.
    if (bytes.size() != 256 && bytes.size() != 512 && bytes.size() != 1024 &&
        bytes.size() != 2048) {
        error = file + ": " + std::to_string(bytes.size()) +
                " bytes is not the size of an EEPROM image (256, 512, 1024 or 2048 bytes)";
        return std::nullopt;
    }
    options.eepromSize = static_cast<int>(bytes.size());
    if (!MayWrite(file)) {
        error = file + ": cannot be read and written";
        return std::nullopt;
    }
    return options;
}

template <typename Prompt>
auto PromptClock::Timed(Prompt prompt)
{
    const auto start = std::chrono::steady_clock::now();
    auto result = prompt();
    spent_ += std::chrono::duration_cast<std::chrono::microseconds>(
        std::chrono::steady_clock::now() - start);
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

ToolSession::ToolSession(const DeviceChoice& choice, const SimulatedChipOptions& chipOptions,
                         Prompter& prompter, std::unique_ptr<HidTransport> hardware,
                         std::unique_ptr<DeviceLibrary> external)
    : backingFile_(choice.simulate ? chipOptions.backingFile : std::string()),
      chip_(MakeChip(choice, chipOptions)),
      transport_(MakeTransport(chip_.get(), std::move(hardware))),
      library_(*transport_, queue_),
      external_(std::move(external)),
      prompts_(prompter),
      config_(Library(), prompts_),
      ui_(prompts_, queue_),
      app_(ui_, Library(), config_)
{
    config_.SetHidTransport(transport_.get());
    app_.SetDeviceDirectory(&library_);
    // A command's duration is the time it took without the prompts it showed.
    app_.SetClock([this] {
        return std::chrono::duration_cast<std::chrono::microseconds>(
                   std::chrono::steady_clock::now().time_since_epoch()) -
               prompts_.Spent();
    });
    if (chip_) {
        chip_->SetRealTiming(choice.realTiming);
    }
    // Backups read through the library itself: the desktop tool logs no calls.
    app_.Context().SetBackups(&backups_, &Library());
    app_.Context().SetTellBackupAfterFailure(true);
    // Says why a device with the ids could not be opened (no permission, say)
    // before the tool's own "cannot find" message.
    library_.SetOpenFailureHandler([this](const HidDeviceInfo& info) {
        if (const std::string text = transport_->OpenFailureMessage(info.path); !text.empty()) {
            prompts_.MessageBox(text);
        }
    });
}

ToolSession::~ToolSession()
{
    if (auto* sim = dynamic_cast<SimTransport*>(transport_.get())) {
        sim->SetDeviceChangeTarget(nullptr, kNoWindow);
    }
}

int ToolSession::Start(bool takeInstanceLock)
{
    if (app_.InitInstance(takeInstanceLock) == 0) {
        return 0;
    }
    // Plugging and unplugging the simulated chip is announced as the system announces devices.
    if (auto* sim = dynamic_cast<SimTransport*>(transport_.get())) {
        sim->SetDeviceChangeTarget(&queue_, app_.MainWindow()->Handle());
    }
    return 1;
}

std::string ToolSession::WindowTitle()
{
    std::string title = app_.MainWindow() != nullptr ? app_.MainWindow()->Title() : std::string();
    if (!chip_) {
        return title;
    }
    title += " \u2014 simulated chip";
    if (const auto info = chip_->Enumeration()) {
        char ids[16];
        std::snprintf(ids, sizeof ids, " %04X:%04X", info->vendorId, info->productId);
        title += ids;
    } else {
        title += " (unplugged)";
    }
    if (!backingFile_.empty()) {
        title += ", EEPROM in " + std::filesystem::path(backingFile_).filename().string();
    }
    return title;
}

}  // namespace tovrik
