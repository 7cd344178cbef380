// SPDX-License-Identifier: MIT
#pragma once

#include <chrono>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

#include "device/hid_transport.h"
#include "session/chip_access.h"

namespace tovrik {

// Where a production station's chips come from: the system's interfaces, or
// a simulated line. The station tells it when it is done with a unit and
// just before it writes.
class ProductionLine {
public:
    virtual ~ProductionLine() = default;
    virtual HidTransport& Transport() = 0;
    virtual void Done(const std::string& /*path*/) {}
    virtual void BeforeWrite(const std::string& /*path*/) {}
    // True when no further unit will come.
    virtual bool Exhausted() const { return false; }
    // The port a unit's interface is attached to, as an operator names it:
    // the path itself, unless the line knows better.
    virtual std::string SlotOf(const std::string& path) const { return path; }
    // The ports known before any unit comes; none when they show as units come.
    virtual std::vector<std::string> SlotNames() const { return {}; }
};

// The chips the system lists, through the access a choice gives.
class SystemProductionLine : public ProductionLine {
public:
    explicit SystemProductionLine(std::unique_ptr<ChipAccess> access) : access_(std::move(access))
    {
    }
    HidTransport& Transport() override { return access_->Transport(); }

private:
    std::unique_ptr<ChipAccess> access_;
};

struct SimulatedLineOptions {
    // This many chips, attached `parallel` at a time.
    int units = 0;
    int parallel = 1;
    // Unit i keeps its EEPROM in FOLDER/unit-i.bin; empty keeps them in memory.
    std::string folder;
    // The write of this unit fails (0: none).
    int failUnit = 0;
    bool realTiming = false;
    // A finished unit stays in its slot this long before it is taken off and
    // the next one attached (0: at once), as an operator who is slow to
    // swap would leave it.
    int stayMs = 0;
};

// N simulated chips with erased EEPROMs that an imagined operator attaches K
// at a time, into K slots: each finished unit is taken off and the next one
// attached in its slot. Unit i appears at the path "sim:unit-i".
class SimulatedProductionLine : public ProductionLine, public HidTransport {
public:
    // `lock` guards the attached units; the station holds it around every
    // call into the transport as well.
    SimulatedProductionLine(const SimulatedLineOptions& options, std::mutex& lock);
    ~SimulatedProductionLine() override;

    HidTransport& Transport() override { return *this; }
    void Done(const std::string& path) override;
    void BeforeWrite(const std::string& path) override;
    bool Exhausted() const override;
    std::string SlotOf(const std::string& path) const override;
    std::vector<std::string> SlotNames() const override;

    std::vector<HidDeviceInfo> Enumerate() override;
    std::unique_ptr<HidDevice> Open(const std::string& path) override;
    bool IsSimulated() const override { return true; }

    // The chip unit `number` is made from.
    SimulatedChipOptions UnitChip(int number) const;

private:
    struct Unit {
        int number = 0;
        int slot = 0;
        std::unique_ptr<ChipAccess> access;
        // Set once the station is done with it: when it leaves.
        std::optional<std::chrono::steady_clock::time_point> leaveAt;
    };

    static std::string PathOf(int number);
    static std::string SlotName(int slot);
    Unit* Find(const std::string& path);
    void AttachNextLocked(int slot);
    void TakeOffLocked(std::map<int, Unit>::iterator unit);
    void TakeOffLeaversLocked();

    SimulatedLineOptions options_;
    std::mutex& lock_;
    int next_ = 1;
    std::map<int, Unit> attached_;
    // The slot each unit was attached to, kept after it left.
    std::map<std::string, int> slotOf_;
};

}  // namespace tovrik
