// SPDX-License-Identifier: MIT
#include "session/production_line.h"

#include <filesystem>
#include <system_error>

#include "device/sim/sim_transport.h"

namespace tovrik {

SimulatedProductionLine::SimulatedProductionLine(const SimulatedLineOptions& options,
                                                 std::mutex& lock)
    : options_(options), lock_(lock)
{
    if (!options_.folder.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(options_.folder, ec);
    }
    std::lock_guard guard(lock_);
    for (int slot = 1; slot <= options_.parallel; ++slot) {
        AttachNextLocked(slot);
    }
}

SimulatedProductionLine::~SimulatedProductionLine() = default;

std::string SimulatedProductionLine::PathOf(int number)
{
    return "sim:unit-" + std::to_string(number);
}

std::vector<HidDeviceInfo> SimulatedProductionLine::Enumerate()
{
    TakeOffLeaversLocked();
    std::vector<HidDeviceInfo> result;
    for (auto& [number, unit] : attached_) {
        for (HidDeviceInfo info : unit.access->Transport().Enumerate()) {
            info.path = PathOf(number);
            result.push_back(std::move(info));
        }
    }
    return result;
}

std::unique_ptr<HidDevice> SimulatedProductionLine::Open(const std::string& path)
{
    Unit* unit = Find(path);
    return unit != nullptr ? unit->access->Transport().Open(SimTransport::kDevicePath) : nullptr;
}

std::string SimulatedProductionLine::SlotName(int slot)
{
    return "slot " + std::to_string(slot);
}

void SimulatedProductionLine::Done(const std::string& path)
{
    std::lock_guard guard(lock_);
    for (auto it = attached_.begin(); it != attached_.end(); ++it) {
        if (PathOf(it->first) == path) {
            if (options_.stayMs > 0) {
                it->second.leaveAt =
                    std::chrono::steady_clock::now() + std::chrono::milliseconds(options_.stayMs);
            } else {
                TakeOffLocked(it);
            }
            break;
        }
    }
}

void SimulatedProductionLine::TakeOffLocked(std::map<int, Unit>::iterator unit)
{
    const int slot = unit->second.slot;
    unit->second.access->Chip()->Unplug();
    attached_.erase(unit);
    AttachNextLocked(slot);
}

void SimulatedProductionLine::TakeOffLeaversLocked()
{
    const auto now = std::chrono::steady_clock::now();
    for (auto it = attached_.begin(); it != attached_.end();) {
        const auto next = std::next(it);
        if (it->second.leaveAt && *it->second.leaveAt <= now) {
            TakeOffLocked(it);
        }
        it = next;
    }
}

std::string SimulatedProductionLine::SlotOf(const std::string& path) const
{
    std::lock_guard guard(lock_);
    const auto it = slotOf_.find(path);
    return it != slotOf_.end() ? SlotName(it->second) : path;
}

std::vector<std::string> SimulatedProductionLine::SlotNames() const
{
    std::vector<std::string> names;
    for (int slot = 1; slot <= options_.parallel; ++slot) {
        names.push_back(SlotName(slot));
    }
    return names;
}

void SimulatedProductionLine::BeforeWrite(const std::string& path)
{
    std::lock_guard guard(lock_);
    Unit* unit = Find(path);
    if (unit != nullptr && unit->number == options_.failUnit) {
        unit->access->Chip()->FailEepromTransfer(1);
    }
}

bool SimulatedProductionLine::Exhausted() const
{
    std::lock_guard guard(lock_);
    return attached_.empty() && next_ > options_.units;
}

SimulatedChipOptions SimulatedProductionLine::UnitChip(int number) const
{
    SimulatedChipOptions chip;
    chip.eepromSize = 256;
    chip.initialEeprom.assign(256, 0xFF);
    if (!options_.folder.empty()) {
        chip.backingFile =
            (std::filesystem::path(options_.folder) / ("unit-" + std::to_string(number) + ".bin"))
                .string();
    }
    chip.realTiming = options_.realTiming;
    return chip;
}

SimulatedProductionLine::Unit* SimulatedProductionLine::Find(const std::string& path)
{
    for (auto& [number, unit] : attached_) {
        if (PathOf(number) == path) {
            return &unit;
        }
    }
    return nullptr;
}

void SimulatedProductionLine::AttachNextLocked(int slot)
{
    if (next_ > options_.units) {
        return;
    }
    const int number = next_++;
    attached_[number] = Unit{number, slot, std::make_unique<ChipAccess>(UnitChip(number)), {}};
    slotOf_[PathOf(number)] = slot;
}

}  // namespace tovrik
