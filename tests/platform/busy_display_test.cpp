// SPDX-License-Identifier: MIT
#include "platform/busy_display.h"

#include <gtest/gtest.h>

#include "support/posix_shim.h"

#include <string>
#include <vector>

namespace tovrik {
namespace {

using std::chrono::milliseconds;

// Writes down what the display asks of the window, one word a call.
class RecordingView : public BusyView {
public:
    std::vector<std::string> calls;
    BusyProgress last;

    void ShowBusy(bool shown) override { calls.push_back(shown ? "show" : "hide"); }
    void ShowProgress(const BusyProgress& progress) override
    {
        last = progress;
        calls.push_back("progress");
    }
    void Repaint() override { calls.push_back("repaint"); }

    std::vector<std::string> Take() { return std::exchange(calls, {}); }
};

struct BusyDisplayTest : ::testing::Test {
    RecordingView view;
    milliseconds now{1000};
    BusyDisplay busy{view, [this] { return now; }};

    using Calls = std::vector<std::string>;
};

TEST_F(BusyDisplayTest, ACommandShorterThanTheWaitShowsNothing)
{
    busy.OnOperation("Load", true);
    now += milliseconds(199);
    busy.OnProgress(1, 4);
    busy.OnOperation("Load", false);
    EXPECT_EQ(view.calls, Calls{});
    EXPECT_FALSE(busy.IsShown());
}

TEST_F(BusyDisplayTest, ALongCommandShowsOnceThenUpdatesAndRepaintsAtItsPace)
{
    busy.OnOperation("Load", true);
    now += BusyDisplay::kShowAfter;
    busy.OnProgress(1, 4);
    EXPECT_EQ(view.Take(), (Calls{"show", "progress", "repaint"}));
    EXPECT_TRUE(busy.IsShown());
    EXPECT_EQ(view.last.operation, "Load");
    EXPECT_FALSE(view.last.marquee);
    EXPECT_EQ(view.last.done, 1u);
    EXPECT_EQ(view.last.total, 4u);

    now += milliseconds(29);
    busy.OnProgress(2, 4);
    EXPECT_EQ(view.Take(), (Calls{"progress"}));
    now += milliseconds(1);
    busy.OnProgress(3, 4);
    EXPECT_EQ(view.Take(), (Calls{"progress", "repaint"}));

    busy.OnOperation("Load", false);
    EXPECT_EQ(view.Take(), (Calls{"hide"}));
    EXPECT_FALSE(busy.IsShown());
}

TEST_F(BusyDisplayTest, AnUnknownAmountRunsAsAMarqueeAndDoneNeverPassesTheTotal)
{
    busy.OnOperation("Save", true);
    now += milliseconds(500);
    busy.OnProgress(7, 0);
    EXPECT_TRUE(view.last.marquee);
    EXPECT_EQ(view.last.done, 0u);
    busy.OnProgress(9, 5);
    EXPECT_FALSE(view.last.marquee);
    EXPECT_EQ(view.last.done, 5u);
}

TEST_F(BusyDisplayTest, ACloseAndWindowMessagesWaitWhileACommandRuns)
{
    EXPECT_FALSE(busy.HoldsBackClose());
    busy.OnOperation("Load", true);
    // Held back from the start, not only once the display shows.
    EXPECT_TRUE(busy.HoldsBackClose());
    EXPECT_TRUE(busy.HoldsBackMessages());
    busy.OnOperation("Load", false);
    EXPECT_FALSE(busy.HoldsBackClose());
    EXPECT_FALSE(busy.HoldsBackMessages());
}

TEST_F(BusyDisplayTest, APromptTakesTheDisplayAwayAndTheWaitStartsAgainAfterIt)
{
    busy.OnOperation("Write", true);
    now += milliseconds(300);
    busy.OnProgress(1, 2);
    view.Take();
    busy.Pause();
    EXPECT_EQ(view.Take(), (Calls{"hide"}));
    EXPECT_TRUE(busy.HoldsBackClose());

    now += milliseconds(199);
    busy.OnProgress(2, 2);
    EXPECT_EQ(view.Take(), Calls{});
    now += milliseconds(1);
    busy.OnProgress(2, 2);
    EXPECT_EQ(view.Take(), (Calls{"show", "progress", "repaint"}));
}

TEST_F(BusyDisplayTest, ProgressOutsideACommandAndAPauseWhileHiddenShowNothing)
{
    busy.OnProgress(1, 2);
    busy.Pause();
    busy.OnOperation("Load", true);
    busy.OnOperation("Load", false);
    now += milliseconds(1000);
    busy.OnProgress(1, 2);
    EXPECT_EQ(view.calls, Calls{});
}

TEST_F(BusyDisplayTest, EachCommandWaitsAfreshAndNamesItself)
{
    busy.OnOperation("Load", true);
    now += milliseconds(250);
    busy.OnProgress(1, 2);
    busy.OnOperation("Load", false);
    view.Take();

    busy.OnOperation("Verify", true);
    now += milliseconds(100);
    busy.OnProgress(1, 2);
    EXPECT_EQ(view.Take(), Calls{});
    now += milliseconds(100);
    busy.OnProgress(1, 2);
    EXPECT_EQ(view.Take(), (Calls{"show", "progress", "repaint"}));
    EXPECT_EQ(view.last.operation, "Verify");
}

// The window tests lower the wait through the environment; anything but a
// number of milliseconds up to a minute keeps the usual one.
TEST(BusyDisplayWaitTest, TheEnvironmentMayLowerTheWaitForTests)
{
    RecordingView view;
    milliseconds now{1000};
    const auto shownAfter = [&](milliseconds elapsed) {
        BusyDisplay busy{view, [&now] { return now; }};
        busy.OnOperation("Erase", true);
        now += elapsed;
        busy.OnProgress(1, 4);
        const bool shown = busy.IsShown();
        busy.OnOperation("Erase", false);
        return shown;
    };
    setenv("TOVRIK_BUSY_AFTER_MS", "0", 1);
    EXPECT_TRUE(shownAfter(milliseconds(0)));
    setenv("TOVRIK_BUSY_AFTER_MS", "50", 1);
    EXPECT_FALSE(shownAfter(milliseconds(49)));
    EXPECT_TRUE(shownAfter(milliseconds(50)));
    for (const char* wrong : {"", "5x", "-1", "60001", "fast"}) {
        setenv("TOVRIK_BUSY_AFTER_MS", wrong, 1);
        EXPECT_EQ(BusyDisplay::ShowAfter(), BusyDisplay::kShowAfter) << wrong;
    }
    unsetenv("TOVRIK_BUSY_AFTER_MS");
    EXPECT_FALSE(shownAfter(BusyDisplay::kShowAfter - milliseconds(1)));
}

}  // namespace
}  // namespace tovrik
