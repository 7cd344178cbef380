// SPDX-License-Identifier: MIT
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "device/sim/simulated_chip.h"

namespace tovrik {

// One measured operation of the tool: what it cost on the simulated chip in
// virtual time, and the least it could have cost.
struct BenchmarkResult {
    std::string name;
    // The operation's own traffic, without the backup it kept first.
    SimTraffic traffic;
    std::uint64_t floorUs = 0;
    // What reading the EEPROM for the backup cost, beside the operation.
    std::uint64_t backupUs = 0;

    double Ratio() const
    {
        return floorUs == 0 ? 0.0 : static_cast<double>(traffic.timeUs) / floorUs;
    }
};

// Runs the tool's EEPROM operations through the script driver on a simulated
// chip in virtual time and measures each against its floor. Files go to
// `workFolder`. False, with the reason in `error`, when a step failed.
bool RunEepromBenchmark(const std::string& workFolder, std::vector<BenchmarkResult>& results,
                        std::string& error);

}  // namespace tovrik
