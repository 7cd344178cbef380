// SPDX-License-Identifier: MIT
#include "device_commands.h"

#include <cstdio>
#include <filesystem>
#include <memory>
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/demo_dlg.h"
#include "config/eeprom_config.h"
#include "device/sim/simulated_chip.h"
#include "exit_codes.h"
#include "formats/device_profile.h"
#include "headless_tool.h"
#include "output_file.h"
#include "platform/recording_prompter.h"
#include "services/backup_restore.h"
#include "services/write_journal.h"
#include "session/backup_site.h"
#include "settings_view.h"

namespace tovrik::cli {

namespace {

constexpr std::size_t kLargestEeprom = 2048;
constexpr int kImageSize = EepromConfig::kImageSize;
// verify names at most this many differing addresses.
constexpr std::size_t kShownDifferences = 8;

struct ExitStatus {
    int code;
};

template <typename Body>
int Guarded(std::ostream& err, Body body)
{
    try {
        return body();
    } catch (const UsageError& e) {
        err << "tovrik-cli: " << e.reason << '\n';
        return kExitUsage;
    } catch (const ExitStatus& e) {
        return e.code;
    }
}

// Whether `file` is the simulated chip's own EEPROM file, under any name (a link, another path).
bool IsTheSimulatedChipsFile(const DeviceOptions& options, const std::string& file)
{
    if (!options.simulate || options.simulateFile.empty()) {
        return false;
    }
    namespace fs = std::filesystem;
    std::error_code ec;
    if (fs::equivalent(file, options.simulateFile, ec) && !ec) {
        return true;
    }
    const fs::path a = fs::weakly_canonical(file, ec);
    const fs::path b = fs::weakly_canonical(options.simulateFile, ec);
    return !ec && a == b;
}

[[noreturn]] void Stop(std::ostream& err, int code, const std::string& reason)
{
    err << "tovrik-cli: " << reason << '\n';
    throw ExitStatus{code};
}

std::string Hex2(unsigned value)
{
    char text[4];
    std::snprintf(text, sizeof text, "%02x", value & 0xFFu);
    return text;
}

std::string Hex4Address(std::size_t address)
{
    char text[8];
    std::snprintf(text, sizeof text, "0x%04zx", address);
    return text;
}

// The chips the options reach, and the device library each connection uses.
struct DeviceAccess {
    explicit DeviceAccess(const DeviceOptions& options)
        : chips(OpenAccess(options)), libraries(LibrarySource(options))
    {
    }
    HidTransport& Transport() { return chips->Transport(); }
    // Why the simulated chip's file refused the last change; empty for any other chip.
    std::string FileError() const
    {
        return chips->Chip() != nullptr ? chips->Chip()->LastFileError() : std::string();
    }

    std::unique_ptr<ChipAccess> chips;
    std::unique_ptr<DeviceLibrarySource> libraries;
};

// The chip as the journal names it: what it answered with, and its
// interface or the file behind a simulated EEPROM.
JournalChip ChipOf(const DeviceOptions& options, const HidDeviceInfo& info)
{
    return {info.vendorId, info.productId, info.serialNumber,
            options.simulateFile.empty() ? info.path : options.simulateFile};
}

// The journal of writes in progress; none for an in-memory simulated chip,
// which does not outlive the command.
std::unique_ptr<WriteJournal> JournalFor(const DeviceOptions& options)
{
    if (options.simulate && options.simulateFile.empty()) {
        return nullptr;
    }
    return std::make_unique<WriteJournal>();
}

// Every device command tells of the writes to this chip that were never finished.
void WarnUnfinishedWrites(const DeviceOptions& options, const HidDeviceInfo& info,
                          std::ostream& err)
{
    const std::unique_ptr<WriteJournal> journal = JournalFor(options);
    if (!journal) {
        return;
    }
    for (const JournalRecord& record : journal->OpenFor(ChipOf(options, info))) {
        err << "tovrik-cli: warning: a write to this chip was not finished (" << record.command
            << ", " << record.count << " bytes at " << record.address << "); " << record.backup
            << " holds what it replaced; `tovrik-cli device restore` writes it back\n";
    }
}

// The chosen interface, opened through the device library.
std::unique_ptr<Connection> OpenChosen(DeviceAccess& access, const DeviceOptions& options,
                                       std::ostream& err)
{
    const std::optional<HidDeviceInfo> info = ChooseInterface(access.Transport(), options, err);
    if (!info) {
        throw ExitStatus{kExitNoDevice};
    }
    auto connection =
        std::make_unique<Connection>(access.Transport(), *info, nullptr, access.libraries.get());
    if (!connection->IsOpen()) {
        Stop(err, kExitNoDevice, connection->OpenError());
    }
    WarnUnfinishedWrites(options, *info, err);
    return connection;
}

std::string Backup(Connection& connection, std::size_t count, std::ostream& out, std::ostream& err)
{
    std::string where;
    std::string error;
    if (!KeepBackup(connection.Library(), connection.Info().vendorId, connection.Info().productId,
                    static_cast<std::uint32_t>(count), where, error)) {
        Stop(err, kExitTransfer, error + "; nothing was written");
    }
    out << "backup: " << where << '\n';
    return where;
}

// A failure's text followed by the reason the simulated chip's file gave, when there is one.
std::string WithFileError(const std::string& failure, const DeviceAccess& access)
{
    const std::string why = access.FileError();
    return why.empty() ? failure : failure + ": " + why;
}

// Writes `bytes` at address 0 and reads them back, journaled for `command`
// with `backup` as what undoes it.
void WriteVerified(DeviceAccess& access, Connection& connection, const DeviceOptions& options,
                   const std::string& command, const std::string& backup,
                   const std::vector<std::uint8_t>& bytes, std::ostream& err)
{
    const std::unique_ptr<WriteJournal> journal = JournalFor(options);
    JournalRecord record;
    record.chip = ChipOf(options, connection.Info());
    const ImageIdentity written =
        IdentityOfImage(bytes, {record.chip.vendorId, record.chip.productId, record.chip.serial});
    record.writtenVendorId = written.vendorId;
    record.writtenProductId = written.productId;
    record.writtenSerial = written.serial;
    record.command = command;
    record.backup = backup;
    std::string journalError;
    const JournaledWriteResult result =
        WriteJournaled(connection.Library(), journal.get(), record, 0, bytes, journalError);
    if (!journalError.empty()) {
        err << "tovrik-cli: warning: " << journalError << '\n';
    }
    switch (result) {
        case JournaledWriteResult::Verified:
            return;
        case JournaledWriteResult::WriteFailed:
            Stop(err, kExitTransfer, WithFileError("writing the EEPROM failed", access));
        case JournaledWriteResult::ReadBackFailed:
            Stop(err, kExitTransfer, "reading the EEPROM back failed");
        case JournaledWriteResult::Differs:
            Stop(err, kExitTransfer, "the EEPROM does not hold what was written");
    }
}

// The tool's main window and pages on the chosen interface. The commands keep
// their own backups, so that a backup that cannot be kept stops them before
// they write.
struct DeviceTool {
    explicit DeviceTool(const DeviceOptions& options)
        : tool(BuildHeadlessTool(Description(options)))
    {
    }

    static SessionDescription Description(const DeviceOptions& options)
    {
        SessionDescription description;
        description.chip = ChoiceFor(options);
        description.backupsBeforeWrites = false;
        description.external = options.external;
        return description;
    }

    HidDeviceInfo info;
    std::unique_ptr<HeadlessTool> tool;
};

std::unique_ptr<DeviceTool> ConnectTool(const DeviceOptions& options, std::ostream& err)
{
    auto device = std::make_unique<DeviceTool>(options);
    ToolSession& session = device->tool->Session();
    const std::optional<HidDeviceInfo> info = ChooseInterface(session.Transport(), options, err);
    if (!info) {
        throw ExitStatus{kExitNoDevice};
    }
    device->info = *info;
    session.RestrictTo(info->path);
    if (!device->tool->Connect(info->vendorId, info->productId)) {
        for (const std::string& message : device->tool->Messages()) {
            err << "tovrik-cli: " << message << '\n';
        }
        Stop(err, kExitNoDevice, "cannot connect to " + info->path);
    }
    WarnUnfinishedWrites(options, *info, err);
    return device;
}

std::vector<SettingValue> DeviceSettings(DeviceTool& device)
{
    return ToolSettings(*device.tool);
}

int PrintDiff(const std::vector<SettingValue>& before, const std::vector<SettingValue>& after,
              bool json, std::ostream& out)
{
    const std::vector<SettingChange> changes = DiffSettings(before, after);
    PrintChanges(out, changes, json);
    return changes.empty() ? kExitOk : kExitDiffers;
}

std::string DeviceClass(std::uint8_t code)
{
    DeviceProfile profile;
    if (ClassifyDeviceCode(code, profile) == 0) {
        return "unknown";
    }
    return profile.typeName + (profile.hasEq != 0 ? " with EQ" : "");
}

}  // namespace

int ListDevices(const DeviceOptions& options, bool json, std::ostream& out, std::ostream& err)
{
    return Guarded(err, [&] {
        DeviceAccess access(options);
        const std::uint16_t vid = RequestedVendorId(options);
        const std::uint16_t pid = RequestedProductId(options);
        std::vector<std::string> rows;
        for (const HidDeviceInfo& info : access.Transport().Enumerate()) {
            if (options.path.empty() ? info.vendorId != vid || info.productId != pid
                                     : info.path != options.path) {
                continue;
            }
            Connection connection(access.Transport(), info, nullptr, access.libraries.get());
            WarnUnfinishedWrites(options, info, err);
            const int code = connection.DetectDeviceCode().value_or(-1);
            const std::string kind = code < 0 ? "-" : DeviceClass(static_cast<std::uint8_t>(code));
            const int size = connection.FittedEepromSize();
            if (json) {
                const nlohmann::ordered_json row = {
                    {"path", info.path},
                    {"vid", Hex4(info.vendorId)},
                    {"pid", Hex4(info.productId)},
                    {"manufacturer", info.manufacturer},
                    {"product", info.product},
                    {"deviceCode",
                     code < 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(code)},
                    {"class", kind},
                    {"eepromSize",
                     size == 0 ? nlohmann::ordered_json() : nlohmann::ordered_json(size)}};
                rows.push_back(row.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace));
            } else {
                rows.push_back(info.path + "  " + Hex4(info.vendorId) + ":" + Hex4(info.productId) +
                               "  \"" + info.manufacturer + "\" \"" + info.product + "\"  code " +
                               (code < 0 ? "-" : std::to_string(code)) + " (" + kind +
                               ")  EEPROM " + (size == 0 ? "-" : std::to_string(size)) + " bytes" +
                               (connection.IsOpen() ? "" : "  " + connection.OpenError()));
            }
        }
        if (json) {
            out << "[";
            for (std::size_t i = 0; i < rows.size(); ++i) {
                out << (i == 0 ? "\n  " : ",\n  ") << rows[i];
            }
            out << "\n]\n";
        } else {
            for (const std::string& row : rows) {
                out << row << '\n';
            }
        }
        if (rows.empty()) {
            err << "tovrik-cli: no chip with the ids " << Hex4(vid) << ":" << Hex4(pid) << '\n';
            return kExitNoDevice;
        }
        return kExitOk;
    });
}

int ReadDevice(const DeviceOptions& options, const std::string& file, std::optional<int> size,
               bool all, std::ostream& out, std::ostream& err)
{
    return Guarded(err, [&] {
        // Replacing the chip's file under it would cut its EEPROM to what was read.
        if (IsTheSimulatedChipsFile(options, file)) {
            throw UsageError{file +
                             " holds the simulated chip's EEPROM; read it into another file"};
        }
        DeviceAccess access(options);
        auto connection = OpenChosen(access, options, err);
        const int fitted = connection->FittedEepromSize();
        const int count = all ? fitted : size.value_or(kImageSize);
        if (count < 1 || count > fitted) {
            throw UsageError{"--size " + std::to_string(count) + ": the chip has " +
                             std::to_string(fitted) + " bytes of EEPROM"};
        }
        std::vector<std::uint8_t> bytes(static_cast<std::size_t>(count));
        if (!connection->Read(bytes)) {
            Stop(err, kExitTransfer, "reading the EEPROM failed; " + file + " was not written");
        }
        WriteOutputFile(file, bytes);
        out << "read " << count << " bytes from " << connection->Info().path << " into " << file
            << '\n';
        return kExitOk;
    });
}

int WriteDevice(const DeviceOptions& options, const std::string& file, std::ostream& out,
                std::ostream& err)
{
    return Guarded(err, [&] {
        const std::vector<std::uint8_t> bytes = ReadInputFile(file, kLargestEeprom);
        if (bytes.empty()) {
            throw UsageError{file + " is empty"};
        }
        DeviceAccess access(options);
        auto connection = OpenChosen(access, options, err);
        if (bytes.size() > static_cast<std::size_t>(connection->FittedEepromSize())) {
            throw UsageError{file + " has " + std::to_string(bytes.size()) +
                             " bytes, the chip's EEPROM " +
                             std::to_string(connection->FittedEepromSize())};
        }
        const std::string backup = Backup(*connection, bytes.size(), out, err);
        WriteVerified(access, *connection, options, "device write " + file, backup, bytes, err);
        out << "wrote " << bytes.size() << " bytes of " << file << " to " << connection->Info().path
            << ", verified\n";
        return kExitOk;
    });
}

int VerifyDevice(const DeviceOptions& options, const std::string& file, bool json,
                 std::ostream& out, std::ostream& err)
{
    return Guarded(err, [&] {
        const std::vector<std::uint8_t> bytes = ReadInputFile(file, kLargestEeprom);
        DeviceAccess access(options);
        auto connection = OpenChosen(access, options, err);
        if (bytes.size() > static_cast<std::size_t>(connection->FittedEepromSize())) {
            throw UsageError{file + " is larger than the chip's EEPROM"};
        }
        std::vector<std::uint8_t> chip(bytes.size());
        if (!connection->Read(chip)) {
            Stop(err, kExitTransfer, "reading the EEPROM failed");
        }
        std::vector<std::size_t> differing;
        for (std::size_t a = 0; a < bytes.size(); ++a) {
            if (bytes[a] != chip[a]) {
                differing.push_back(a);
            }
        }
        const std::size_t shown = std::min(differing.size(), kShownDifferences);
        if (json) {
            out << "{\"bytes\": " << bytes.size() << ", \"differing\": " << differing.size()
                << ", \"first\": [";
            for (std::size_t i = 0; i < shown; ++i) {
                const std::size_t a = differing[i];
                out << (i == 0 ? "" : ", ") << "{\"address\": " << a << ", \"file\": " << +bytes[a]
                    << ", \"chip\": " << +chip[a] << "}";
            }
            out << "]}\n";
        } else if (differing.empty()) {
            out << "the EEPROM holds the " << bytes.size() << " bytes of " << file << '\n';
        } else {
            out << differing.size() << " of " << bytes.size() << " bytes differ\n";
            for (std::size_t i = 0; i < shown; ++i) {
                const std::size_t a = differing[i];
                out << Hex4Address(a) << ": file " << Hex2(bytes[a]) << ", chip " << Hex2(chip[a])
                    << '\n';
            }
        }
        return differing.empty() ? kExitOk : kExitDiffers;
    });
}

int EraseDevice(const DeviceOptions& options, bool all, std::ostream& out, std::ostream& err)
{
    return Guarded(err, [&] {
        DeviceAccess access(options);
        auto connection = OpenChosen(access, options, err);
        const int count = all ? connection->FittedEepromSize() : kImageSize;
        const std::string backup = Backup(*connection, static_cast<std::size_t>(count), out, err);
        WriteVerified(access, *connection, options, "device erase", backup,
                      std::vector<std::uint8_t>(static_cast<std::size_t>(count), 0xFF), err);
        out << "erased " << count << " bytes of " << connection->Info().path << '\n';
        return kExitOk;
    });
}

int ShowDevice(const DeviceOptions& options, bool json, std::ostream& out, std::ostream& err)
{
    return Guarded(err, [&] {
        auto device = ConnectTool(options, err);
        PrintSettings(out, DeviceSettings(*device), json);
        return kExitOk;
    });
}

int DiffDevice(const DeviceOptions& options, const std::string& file, bool json, std::ostream& out,
               std::ostream& err)
{
    return Guarded(err, [&] {
        const std::vector<SettingValue> wanted = ImageSettings(file);
        auto device = ConnectTool(options, err);
        return PrintDiff(DeviceSettings(*device), wanted, json, out);
    });
}

int SetDevice(const DeviceOptions& options, const std::vector<std::string>& arguments,
              std::ostream& out, std::ostream& err)
{
    return Guarded(err, [&] {
        const Assignments assignments = ParseAssignments(arguments);
        auto device = ConnectTool(options, err);
        ToolSession& session = device->tool->Session();
        const int fitted = ReadFittedEepromSize(session.Transport(), device->info.path);
        session.DeviceLibraryInUse().rmSetEEPROMSize(1, fitted);
        ApplyAssignments(*device->tool, assignments);
        BackupKeeper& backups = session.Backups();
        if (backups.KeepBefore(session.DeviceLibraryInUse(), device->info.vendorId,
                               device->info.productId, 0, EepromConfig::kImageSize) == 0) {
            Stop(err, kExitTransfer, backups.LastError() + "; nothing was written");
        }
        out << "backup: " << backups.LastPath() << '\n';
        // The save reads back every page it writes; the record goes once it went through.
        const std::unique_ptr<WriteJournal> journal = JournalFor(options);
        std::string record;
        if (journal) {
            JournalRecord entry;
            entry.chip = ChipOf(options, device->info);
            entry.writtenVendorId = entry.chip.vendorId;
            entry.writtenProductId = entry.chip.productId;
            entry.writtenSerial = entry.chip.serial;
            entry.command = "device set";
            entry.backup = backups.LastPath();
            entry.count = EepromConfig::kImageSize;
            std::string journalError;
            record = journal->Begin(entry, journalError);
            if (record.empty()) {
                err << "tovrik-cli: warning: " << journalError << '\n';
            }
        }
        if (!device->tool->SaveSettings()) {
            for (const std::string& message : device->tool->Messages()) {
                err << "tovrik-cli: " << message << '\n';
            }
            const std::string why =
                session.Chip() != nullptr ? session.Chip()->LastFileError() : std::string();
            Stop(err, kExitTransfer,
                 why.empty() ? "the save into the EEPROM failed"
                             : "the save into the EEPROM failed: " + why);
        }
        if (journal) {
            journal->Finish(record);
        }
        out << "saved into " << device->info.path
            << "; the chip takes it when it is plugged in again\n";
        return kExitOk;
    });
}

namespace {

void PrintBackups(const std::vector<ChipBackup>& backups, std::ostream& out)
{
    for (const ChipBackup& b : backups) {
        out << b.time << "  " << b.size << " bytes  serial \"" << b.serial << "\"  "
            << (b.equalsChip ? "equals the chip" : "differs from the chip") << "  " << b.path
            << '\n';
    }
}

}  // namespace

int ListBackups(const DeviceOptions& options, std::ostream& out, std::ostream& err)
{
    return Guarded(err, [&] {
        DeviceAccess access(options);
        auto connection = OpenChosen(access, options, err);
        BackupKeeper keeper;
        const std::vector<ChipBackup> backups =
            ListChipBackups(keeper, ChipOf(options, connection->Info()), connection->Library(),
                            connection->FittedEepromSize());
        PrintBackups(backups, out);
        if (backups.empty()) {
            err << "tovrik-cli: no backup of a chip with the ids "
                << Hex4(connection->Info().vendorId) << ":" << Hex4(connection->Info().productId)
                << " in " << keeper.Folder() << '\n';
        }
        return kExitOk;
    });
}

int RestoreDevice(const DeviceOptions& options, const std::string& file, std::ostream& out,
                  std::ostream& err)
{
    return Guarded(err, [&] {
        DeviceAccess access(options);
        auto connection = OpenChosen(access, options, err);
        const JournalChip chip = ChipOf(options, connection->Info());
        BackupKeeper keeper;
        const std::unique_ptr<WriteJournal> journal = JournalFor(options);
        const std::vector<ChipBackup> backups =
            ListChipBackups(keeper, chip, connection->Library(), connection->FittedEepromSize());
        const RestoreChoice choice = ChooseRestore(file, journal.get(), chip, backups);
        if (choice.file.empty()) {
            err << "tovrik-cli: no backup qualifies: none is named by an unfinished write, and "
                   "none "
                   "of the ids "
                << Hex4(chip.vendorId) << ":" << Hex4(chip.productId)
                << " holds the serial string \"" << chip.serial
                << "\"; name one of these (another unit's backup would give this chip its "
                   "settings):\n";
            PrintBackups(backups, out);
            return kExitUsage;
        }
        out << "restoring " << choice.file << " (" << choice.reason << ")\n";
        std::string kept;
        std::string error;
        if (RestoreBackup(connection->Library(), keeper, journal.get(), chip,
                          connection->FittedEepromSize(), choice.file, kept, error) == 0) {
            if (!kept.empty()) {
                out << "backup: " << kept << '\n';
            }
            Stop(err, kExitTransfer, error);
        }
        out << "backup: " << kept << '\n';
        out << "wrote " << choice.file << " back to " << connection->Info().path << ", verified\n";
        return kExitOk;
    });
}

int ShowImage(const std::string& file, bool json, std::ostream& out, std::ostream& err)
{
    return Guarded(err, [&] {
        PrintSettings(out, ImageSettings(file), json);
        return kExitOk;
    });
}

int DiffImages(const std::string& before, const std::string& after, bool json, std::ostream& out,
               std::ostream& err)
{
    return Guarded(
        err, [&] { return PrintDiff(ImageSettings(before), ImageSettings(after), json, out); });
}

int SetImage(const std::string& input, const std::string& output,
             const std::vector<std::string>& arguments, std::ostream& /*out*/, std::ostream& err)
{
    return Guarded(err, [&] {
        const Assignments assignments = ParseAssignments(arguments);
        WriteOutputFile(output, ImageWithSettings(ImageFileBytes(input), assignments));
        return kExitOk;
    });
}

}  // namespace tovrik::cli
