// SPDX-License-Identifier: MIT
#include "station/station.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "app/factory_image.h"
#include "cli/temp_folder.h"

namespace tovrik {
namespace {

using cli::test::TempFolder;

// Records what a window would show: every state each slot went through, and
// the units in the order the station reports them.
class Recorder : public StationObserver {
public:
    explicit Recorder(const Station*& station) : station_(station) {}

    void Changed() override
    {
        std::lock_guard guard(mutex_);
        int programming = 0;
        for (const StationSlot& slot : station_->Slots()) {
            programming += slot.state == SlotState::Programming ? 1 : 0;
            if (seen_.empty() || seen_.back().name != slot.name ||
                seen_.back().state != slot.state || seen_.back().serial != slot.serial) {
                seen_.push_back(slot);
            }
        }
        mostAtOnce_ = std::max(mostAtOnce_, programming);
    }
    void UnitFinished(const StationUnit& unit) override
    {
        std::lock_guard guard(mutex_);
        units_.push_back(unit);
        if (stopAfter_ > 0 && static_cast<int>(units_.size()) == stopAfter_) {
            const_cast<Station*>(station_)->Stop();
        }
    }

    std::vector<StationSlot> seen_;
    std::vector<StationUnit> units_;
    int mostAtOnce_ = 0;
    int stopAfter_ = 0;

private:
    std::mutex mutex_;
    const Station*& station_;
};

struct Line {
    TempFolder folder;
    StationDescription description;
    Line(int units, int parallel)
    {
        cli::test::WriteBytes(folder / "golden.bin", FactoryEepromImage());
        description.imagePath = folder / "golden.bin";
        description.logPath = folder / "log.csv";
        description.serialFormat = "U%03d";
        description.serialStart = 7;
        description.simulated.units = units;
        description.simulated.parallel = parallel;
    }
};

TEST(StationEngineTest, SlotsCountsAndUnitsAsAWindowSeesThem)
{
    Line line(5, 2);
    line.description.simulated.failUnit = 3;
    std::string error;
    std::unique_ptr<Station> station = Station::Prepare(line.description, error);
    ASSERT_TRUE(station) << error;
    const std::vector<StationSlot> before = station->Slots();
    ASSERT_EQ(before.size(), 2u);
    EXPECT_EQ(before[0].name, "slot 1");
    EXPECT_EQ(before[1].state, SlotState::Waiting);
    EXPECT_EQ(station->NextSerial(), "U007");
    EXPECT_EQ(station->LogPath(), line.description.logPath);

    const Station* seenBy = station.get();
    Recorder recorder(seenBy);
    const StationSummary summary = station->Run(&recorder);

    EXPECT_EQ(summary.counts.passed, 4);
    EXPECT_EQ(summary.counts.failed, 1);
    EXPECT_TRUE(summary.problem.empty()) << summary.problem;
    EXPECT_EQ(station->NextSerial(), "U012");
    ASSERT_EQ(recorder.units_.size(), 5u);
    for (std::size_t i = 0; i < 5; ++i) {
        const StationUnit& unit = recorder.units_[i];
        EXPECT_EQ(unit.number, static_cast<int>(i) + 1);
        EXPECT_EQ(unit.result, unit.path == "sim:unit-3" ? "failed: write" : "ok") << unit.path;
    }
    // Each slot showed its unit programming with its serial before the outcome.
    std::string failedSerial;
    for (const StationUnit& unit : recorder.units_) {
        failedSerial = unit.path == "sim:unit-3" ? unit.serial : failedSerial;
    }
    for (const std::string serial : {"U007", "U008", "U009", "U010", "U011"}) {
        const auto programming = std::find_if(
            recorder.seen_.begin(), recorder.seen_.end(), [serial](const StationSlot& s) {
                return s.serial == serial && s.state == SlotState::Programming;
            });
        ASSERT_NE(programming, recorder.seen_.end()) << serial;
        const auto outcome =
            std::find_if(programming, recorder.seen_.end(), [&](const StationSlot& s) {
                return s.name == programming->name && s.state != SlotState::Programming;
            });
        ASSERT_NE(outcome, recorder.seen_.end()) << serial;
        EXPECT_EQ(outcome->serial, serial);
        EXPECT_EQ(outcome->state, serial == failedSerial ? SlotState::Failed : SlotState::Passed);
    }
}

// The chips sleep their modelled time, so more than one is seen programming at
// once only when the workers really run side by side (how many depends on how
// busy the machine is, so the test asks only for more than one).
TEST(StationEngineTest, UnitsOnAllSlotsAreProgrammedAtOnce)
{
    Line line(8, 8);
    line.description.simulated.realTiming = true;
    std::string error;
    std::unique_ptr<Station> station = Station::Prepare(line.description, error);
    ASSERT_TRUE(station) << error;
    const Station* seenBy = station.get();
    Recorder recorder(seenBy);
    EXPECT_EQ(station->Run(&recorder).counts.passed, 8);
    EXPECT_GE(recorder.mostAtOnce_, 2);
}

TEST(StationEngineTest, StopTakesNoNewUnitAndFinishesThoseInProgress)
{
    Line line(40, 3);
    std::string error;
    std::unique_ptr<Station> station = Station::Prepare(line.description, error);
    ASSERT_TRUE(station) << error;
    const Station* seenBy = station.get();
    Recorder recorder(seenBy);
    recorder.stopAfter_ = 1;
    const StationSummary summary = station->Run(&recorder);
    // The two other slots had their units under way; none came after.
    EXPECT_GE(summary.counts.passed, 1);
    EXPECT_LE(summary.counts.passed, 3);
    EXPECT_EQ(static_cast<int>(recorder.units_.size()), summary.counts.passed);
    EXPECT_TRUE(station->Stopping());
}

}  // namespace
}  // namespace tovrik
