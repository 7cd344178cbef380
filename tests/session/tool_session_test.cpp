// SPDX-License-Identifier: MIT
#include "session/tool_session.h"
#include "session/simulated_session.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

#include "app/demo_dlg.h"
#include "app/factory_image.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"

namespace tovrik {
namespace {

// A user who reads every message for 300 ms before pressing OK.
class SlowReader : public RecordingPrompter {
public:
    void MessageBox(const std::string& text) override
    {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        RecordingPrompter::MessageBox(text);
    }
};

TEST(ToolSessionTest, ACommandsDurationLeavesOutTheTimeItsMessagesWaited)
{
    SlowReader prompter;
    auto session = SimulatedToolSession(prompter);
    ASSERT_EQ(session->Start(false), 1);
    CDemoDlg& window = *session->MainWindow();
    user_input::Type(window, *window.GetDlgItem(IDC_VID), "1209");
    user_input::Type(window, *window.GetDlgItem(IDC_PID), "0001");
    user_input::Click(window, *window.GetDlgItem(IDC_CONNECT));
    ASSERT_EQ(window.IsConnected(), 1);

    // "Erase" ends with a message box; the simulated chip answers at once.
    user_input::Click(window, *window.GetDlgItem(IDC_ERASE));
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_EQ(window.GetDlgItemText(IDC_STATUS_OPERATION).rfind("Erase: done in 0.0", 0), 0u)
        << window.GetDlgItemText(IDC_STATUS_OPERATION);
}

}  // namespace
}  // namespace tovrik
