// SPDX-License-Identifier: MIT
// The Windows main window while a command runs: the wait cursor and the
// progress bar over the status line, what a prompt does to them, and a close
// request that waits; then a status line with a path too long for it.
#include <gtest/gtest.h>

#include <functional>

#include "app/demo_dlg.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"
#include "resources/resource_ids.h"
#include "session/simulated_session.h"
#include "support/posix_shim.h"
#include "tool_frame.h"

namespace tovrik::win32 {
namespace {

// Looks at the window each time a message box would wait for the user.
class SamplingPrompter : public RecordingPrompter {
public:
    std::function<void()> atMessage;

    void MessageBox(const std::string& text) override
    {
        if (atMessage) {
            atMessage();
        }
        RecordingPrompter::MessageBox(text);
    }
};

class ToolFrameTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        INITCOMMONCONTROLSEX controls{sizeof controls, ICC_TAB_CLASSES | ICC_BAR_CLASSES |
                                                           ICC_STANDARD_CLASSES |
                                                           ICC_PROGRESS_CLASS};
        InitCommonControlsEx(&controls);
        ASSERT_EQ(session->Start(false), 1);
        // Every command shows its busy display at its first transfer.
        setenv("TOVRIK_BUSY_AFTER_MS", "0", 1);
        frame = std::make_unique<ToolFrame>(Dialog(), [] { return std::string("test"); });
        unsetenv("TOVRIK_BUSY_AFTER_MS");
        ASSERT_NE(frame->Handle(), nullptr);
        frame->WatchProgress(session->Directory());
        frame->Show(SW_SHOWNOACTIVATE);
        user_input::Select(Dialog(), *Dialog().GetDlgItem(IDC_DEVICE_LIST), 0);
        user_input::Click(Dialog(), *Dialog().GetDlgItem(IDC_CONNECT));
        frame->SyncFromModel();
        ASSERT_EQ(Dialog().IsConnected(), 1);
        bar = FindWindowExW(frame->Handle(), nullptr, PROGRESS_CLASSW, nullptr);
        line = GetDlgItem(frame->Handle(), IDC_STATUS_OPERATION);
        ASSERT_NE(bar, nullptr);
        ASSERT_NE(line, nullptr);
    }

    CDemoDlg& Dialog() { return *session->MainWindow(); }
    static bool Shown(HWND hwnd) { return (GetWindowLongW(hwnd, GWL_STYLE) & WS_VISIBLE) != 0; }
    static bool WaitCursor() { return GetCursor() == LoadCursorA(nullptr, IDC_WAIT); }

    SamplingPrompter prompter;
    // A chip that takes its time reports the progress of its transfers.
    std::unique_ptr<ToolSession> session = SimulatedToolSession(prompter, true);
    std::unique_ptr<ToolFrame> frame;
    HWND bar = nullptr;
    HWND line = nullptr;
};

TEST_F(ToolFrameTest, ARunningCommandShowsTheWaitCursorAndTheBarInPlaceOfTheStatusLine)
{
    bool barShown = false;
    bool lineHidden = false;
    bool waiting = false;
    prompter.atMessage = [&] {
        barShown = Shown(bar);
        lineHidden = !Shown(line);
        waiting = WaitCursor();
    };
    user_input::Click(Dialog(), *Dialog().GetDlgItem(IDC_ERASE));
    frame->SyncFromModel();
    ASSERT_EQ(prompter.Messages().size(), 1u);
    EXPECT_TRUE(barShown);
    EXPECT_TRUE(lineHidden);
    EXPECT_TRUE(waiting);
    // Done: the status line is back and names the command.
    EXPECT_FALSE(Shown(bar));
    EXPECT_TRUE(Shown(line));
    EXPECT_FALSE(WaitCursor());
    EXPECT_EQ(WindowText(line).rfind("Erase: done in ", 0), 0u) << WindowText(line);
}

TEST_F(ToolFrameTest, APromptTakesTheBusyDisplayAwayAndACloseMeanwhileIsDropped)
{
    bool barShown = true;
    bool waiting = true;
    bool closedWhileBusy = false;
    bool shownBefore = false;
    prompter.atMessage = [&] {
        shownBefore = Shown(bar);
        frame->PauseBusyDisplay();
        barShown = Shown(bar);
        waiting = WaitCursor();
        // The message box's own loop would hand the close on to the window now.
        SendMessageW(frame->Handle(), WM_CLOSE, 0, 0);
        closedWhileBusy = !IsWindow(frame->Handle()) || !Dialog().IsWindow();
    };
    user_input::Click(Dialog(), *Dialog().GetDlgItem(IDC_ERASE));
    EXPECT_TRUE(shownBefore);
    EXPECT_FALSE(barShown);
    EXPECT_FALSE(waiting);
    EXPECT_FALSE(closedWhileBusy);
    // Nothing asked "Exit ... ?": the one prompt is the command's own.
    ASSERT_EQ(prompter.Prompts().size(), 1u);
    EXPECT_EQ(prompter.Prompts()[0].kind, RecordingPrompter::Kind::Message);
    // Asked again once the command is done, the window closes as ever.
    prompter.QueueAnswer(true);
    SendMessageW(frame->Handle(), WM_CLOSE, 0, 0);
    EXPECT_FALSE(Dialog().IsWindow());
    // The quit the closed window posts is not for the tests after this one.
    MSG quit;
    PeekMessageW(&quit, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);
}

}  // namespace
}  // namespace tovrik::win32
