// SPDX-License-Identifier: MIT
#include "session/tool_session.h"
#include "session/simulated_session.h"

#include <gtest/gtest.h>

#include <chrono>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"

namespace tovrik {
namespace {

// The clock the session times commands by: it moves only when a test moves it.
struct ManualClock {
    std::chrono::microseconds now{1000000};
};

// A user who reads every message for 300 ms (on the manual clock) before pressing OK.
class SlowReader : public RecordingPrompter {
public:
    explicit SlowReader(ManualClock& clock) : clock_(clock) {}
    void MessageBox(const std::string& text) override
    {
        clock_.now += std::chrono::milliseconds(300);
        RecordingPrompter::MessageBox(text);
    }

private:
    ManualClock& clock_;
};

TEST(ToolSessionTest, ACommandsDurationLeavesOutTheTimeItsMessagesWaited)
{
    ManualClock clock;
    SlowReader prompter(clock);
    SessionDescription description;
    description.chip.simulate = true;
    description.clock = [&clock] { return clock.now; };
    std::string error;
    auto session = ToolSession::Build(description, prompter, error);
    ASSERT_NE(session, nullptr) << error;
    ASSERT_EQ(session->Start(false), 1);
    CDemoDlg& window = *session->MainWindow();
    user_input::Type(window, *window.GetDlgItem(IDC_VID), "1209");
    user_input::Type(window, *window.GetDlgItem(IDC_PID), "0001");
    user_input::Click(window, *window.GetDlgItem(IDC_CONNECT));
    ASSERT_EQ(window.IsConnected(), 1);

    // "Erase" ends with a message box read for 300 ms; the chip itself takes no time.
    user_input::Click(window, *window.GetDlgItem(IDC_ERASE));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(clock.now, std::chrono::milliseconds(1300));
    EXPECT_EQ(window.GetDlgItemText(IDC_STATUS_OPERATION).rfind("Erase: done in 0.0", 0), 0u)
        << window.GetDlgItemText(IDC_STATUS_OPERATION);
}

}  // namespace
}  // namespace tovrik
