// SPDX-License-Identifier: MIT
#include "eeprom_benchmark.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "app/factory_image.h"
#include "device/command_protocol.h"
#include "device/sim/simulated_device.h"
#include "device/transfer_floor.h"
#include "script/script_driver.h"

namespace tovrik {

namespace {

constexpr const char* kStartScript =
    "start\n"
    "type main:1016 1209\n"
    "type main:1018 0001\n";
constexpr const char* kConnect = "click main:1017\n";

bool WriteFile(const std::filesystem::path& path, const std::vector<std::uint8_t>& bytes)
{
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(out);
}

// A script driver whose every EEPROM transfer also adds its floor.
class MeasuredRun {
public:
    explicit MeasuredRun(const std::string& folder) : driver_(transcript_, Options(folder))
    {
        driver_.CallLog().SetObserver(
            [this](const CallLogLibrary::ObservedCall& call) { Observe(call); });
    }

    SimulatedChip& Chip() { return driver_.Chip(); }

    bool Run(const std::string& script, std::string& error)
    {
        if (driver_.Run(script) != ScriptDriver::kExitOk) {
            error = "line " + std::to_string(driver_.Error().line) + ": " + driver_.Error().reason;
            return false;
        }
        return true;
    }

    // Runs `script` as one operation; `extraFloorUs` is what the floor has
    // beyond the library's transfers (the control transfer of a connect).
    bool Measure(const std::string& name, const std::string& script, std::uint64_t extraFloorUs,
                 std::vector<BenchmarkResult>& results, std::string& error)
    {
        const SimTraffic before = Chip().Traffic();
        const SimTraffic backupBefore = driver_.BackupTraffic();
        floorUs_ = extraFloorUs;
        if (!Run(script, error)) {
            error = name + ": " + error;
            return false;
        }
        // The backup's reads are reported on their own, so the ratio measures the operation.
        const SimTraffic backup = driver_.BackupTraffic() - backupBefore;
        const SimTraffic traffic = (Chip().Traffic() - before) - backup;
        results.push_back({name, traffic, floorUs_, backup.timeUs});
        return true;
    }

private:
    static ScriptDriverOptions Options(const std::string& folder)
    {
        ScriptDriverOptions options;
        options.fileFolder = folder;
        options.backupFolder = folder + "/backups";
        return options;
    }

    void Observe(const CallLogLibrary::ObservedCall& call)
    {
        using Kind = CallLogLibrary::ObservedCall::Kind;
        if (call.kind == Kind::Start || call.kind == Kind::Close) {
            floor_.Reset();
        } else if (call.kind == Kind::SetReport && call.done && call.result != 0) {
            floorUs_ += floor_.Costs().reportUs;
        } else if (call.kind == Kind::Burn && call.direction == 1 && !call.done) {
            before_ = Chip().Eeprom();
        } else if (call.kind == Kind::Burn && call.done && call.result != 0 && call.count > 0) {
            if (call.direction == 0) {
                floorUs_ += floor_.Read(call.address, call.count);
            } else {
                const auto page =
                    static_cast<std::uint32_t>(protocol::EepromPageSize(Chip().EepromSize()));
                floorUs_ += floor_.Write(call.address, call.buffer, call.count, before_, page);
            }
        }
    }

    std::ostringstream transcript_;
    ScriptDriver driver_;
    TransferFloor floor_;
    std::vector<std::uint8_t> before_;
    std::uint64_t floorUs_ = 0;
};

}  // namespace

bool RunEepromBenchmark(const std::string& workFolder, std::vector<BenchmarkResult>& results,
                        std::string& error)
{
    const std::filesystem::path folder(workFolder);
    std::vector<std::uint8_t> other = FactoryEepromImage();
    other.resize(256, 0xFF);
    for (auto& byte : other) {
        byte ^= 0xA5;
    }
    std::vector<std::uint8_t> large(2048);
    for (std::size_t i = 0; i < large.size(); ++i) {
        large[i] = static_cast<std::uint8_t>(i * 7 + 3);
    }
    if (!WriteFile(folder / "bench-other.bin", other) ||
        !WriteFile(folder / "bench-copy.bin", {})) {
        error = "cannot write the benchmark's files in " + workFolder;
        return false;
    }
    const std::uint64_t control = WireCosts{}.controlUs;

    MeasuredRun run(workFolder);
    if (!run.Run(kStartScript, error) ||
        !run.Measure("connect + load", kConnect, control, results, error) ||
        !run.Measure("Save EEPROM, no edit", "click main:3\n", 0, results, error) ||
        !run.Measure("Save EEPROM, one serial character", "type 1020 TK23-000002\nclick main:3\n",
                     0, results, error) ||
        !run.Measure("Erase", "click main:4\n", 0, results, error) ||
        !run.Measure("Save EEPROM after Erase", "answer ok\nclick main:3\n", 0, results, error) ||
        !run.Measure("EEPROM -> FILE", "file bench-copy.bin\nclick main:1160\n", 0, results,
                     error) ||
        !run.Measure("FILE -> EEPROM, same content", "file bench-copy.bin\nclick main:1161\n", 0,
                     results, error) ||
        !run.Measure("FILE -> EEPROM, other image", "file bench-other.bin\nclick main:1161\n", 0,
                     results, error)) {
        return false;
    }

    // The page's size list is not for users to change, so the page's two
    // transfers on a 2048-byte part are made here as the page makes them.
    SimulatedChipOptions options;
    options.eepromSize = 2048;
    SimulatedDevice device(options);
    if (device.Start() == 0) {
        error = "the 2048-byte chip did not start";
        return false;
    }
    device.Library().rmSetEEPROMSize(1, 2048);
    TransferFloor floor;
    const auto measure = [&](const char* name, int direction, std::vector<std::uint8_t>& buffer) {
        const std::vector<std::uint8_t> before = device.Chip().Eeprom();
        const SimTraffic start = device.Chip().Traffic();
        if (device.Library().rmBurnEEPROM(direction, 0, buffer.data(), 2048) == 0) {
            error = std::string(name) + ": the transfer failed";
            return false;
        }
        const std::uint64_t floorUs =
            direction == 0 ? floor.Read(0, 2048) : floor.Write(0, buffer.data(), 2048, before, 16);
        results.push_back({name, device.Chip().Traffic() - start, floorUs});
        return true;
    };
    std::vector<std::uint8_t> back(2048);
    return measure("EEPROM page: write 2048 bytes", 1, large) &&
           measure("EEPROM page: read 2048 bytes", 0, back);
}

}  // namespace tovrik
