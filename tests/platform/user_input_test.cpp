// SPDX-License-Identifier: MIT
// User actions as the front ends apply them: the control changes first, then its dialog is told.
#include <gtest/gtest.h>

#include <utility>
#include <vector>

#include "platform/dialog.h"
#include "platform/recording_prompter.h"
#include "platform/user_input.h"

namespace tovrik {
namespace {

ControlTemplate Item(int id, ControlKind kind)
{
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    return c;
}

// Two runs of radio buttons split by a check box, an edit with a limit, an
// edit that takes Enter and Tab, a list and a slider.
DialogTemplate InputForm()
{
    DialogTemplate d;
    ControlTemplate limited = Item(20, ControlKind::Edit);
    limited.limit = 4;
    ControlTemplate keys = Item(21, ControlKind::Edit);
    keys.takesEnterAndTab = true;
    ControlTemplate list = Item(30, ControlKind::ComboBox);
    list.items = {"a", "b", "c"};
    ControlTemplate slider = Item(40, ControlKind::Slider);
    slider.rangeMin = 0;
    slider.rangeMax = 48;
    d.controls = {Item(1, ControlKind::RadioButton),
                  Item(2, ControlKind::RadioButton),
                  Item(3, ControlKind::RadioButton),
                  Item(10, ControlKind::CheckBox),
                  Item(4, ControlKind::RadioButton),
                  Item(5, ControlKind::RadioButton),
                  Item(11, ControlKind::PushButton),
                  Item(kNoControlId, ControlKind::Static),
                  limited,
                  keys,
                  list,
                  slider};
    return d;
}

class InputDialog : public Dialog {
public:
    using Dialog::Dialog;
    std::vector<std::pair<int, Notify>> commands;
    void OnCommand(int id, Notify code) override { commands.emplace_back(id, code); }
};

class UserInputTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(dialog.Create(), 1); }
    Control& C(int id) { return *dialog.GetDlgItem(id); }
    std::vector<bool> Checks(std::vector<int> ids)
    {
        std::vector<bool> result;
        for (int id : ids) {
            result.push_back(C(id).IsChecked());
        }
        return result;
    }

    RecordingPrompter prompter;
    MessageQueue queue;
    UiContext ui{prompter, queue};
    InputDialog dialog{ui, InputForm()};
};

TEST_F(UserInputTest, RadioClickChecksItselfAndUnchecksOnlyItsOwnRun)
{
    C(1).SetCheck(true);
    C(5).SetCheck(true);
    user_input::Click(dialog, C(2));
    EXPECT_EQ(Checks({1, 2, 3}), (std::vector<bool>{false, true, false}));
    // The run after the check box is another group and keeps its choice.
    EXPECT_EQ(Checks({4, 5}), (std::vector<bool>{false, true}));
    user_input::Click(dialog, C(4));
    EXPECT_EQ(Checks({1, 2, 3, 4, 5}), (std::vector<bool>{false, true, false, true, false}));
    EXPECT_EQ(dialog.commands,
              (std::vector<std::pair<int, Notify>>{{2, Notify::Clicked}, {4, Notify::Clicked}}));
}

TEST_F(UserInputTest, CheckBoxTogglesBeforeTheDialogIsTold)
{
    bool checkedWhenTold = false;
    struct Probe : InputDialog {
        using InputDialog::InputDialog;
        bool* seen = nullptr;
        void OnCommand(int id, Notify code) override
        {
            *seen = GetDlgItem(id)->IsChecked();
            InputDialog::OnCommand(id, code);
        }
    } probe{ui, InputForm()};
    probe.seen = &checkedWhenTold;
    probe.Create();
    user_input::Click(probe, *probe.GetDlgItem(10));
    EXPECT_TRUE(checkedWhenTold);
    user_input::Click(probe, *probe.GetDlgItem(10));
    EXPECT_FALSE(probe.GetDlgItem(10)->IsChecked());
    EXPECT_EQ(probe.commands.size(), 2U);
}

TEST_F(UserInputTest, LabelsAndSlidersAreNotClickable)
{
    user_input::Click(dialog, *dialog.Controls()[7]);
    user_input::Click(dialog, C(40));
    EXPECT_TRUE(dialog.commands.empty());
    user_input::Click(dialog, C(11));
    EXPECT_EQ(dialog.commands, (std::vector<std::pair<int, Notify>>{{11, Notify::Clicked}}));
}

TEST_F(UserInputTest, TypingKeepsToTheLimitAndReadOnlyEditsRefuseIt)
{
    user_input::Type(dialog, C(20), "12345");
    EXPECT_EQ(C(20).Text(), "1234");
    C(21).SetReadOnly(true);
    user_input::Type(dialog, C(21), "x");
    EXPECT_EQ(C(21).Text(), "");
    EXPECT_EQ(dialog.commands, (std::vector<std::pair<int, Notify>>{{20, Notify::Changed}}));
}

TEST_F(UserInputTest, SelectSlideLeaveAndKeysNotifyAfterTheChange)
{
    user_input::Select(dialog, C(30), 2);
    EXPECT_EQ(C(30).GetCurSel(), 2);
    user_input::Slide(dialog, C(40), 60);
    EXPECT_EQ(C(40).GetPos(), 48);
    user_input::Leave(dialog, C(20));
    user_input::Key(dialog, C(21), true);
    user_input::Key(dialog, C(21), false);
    // In an edit that does not take them, Enter is the dialog's default key
    // and Tab only moves the focus.
    user_input::Key(dialog, C(20), true);
    user_input::Key(dialog, C(20), false);
    EXPECT_EQ(dialog.commands, (std::vector<std::pair<int, Notify>>{{30, Notify::SelChange},
                                                                    {40, Notify::Scroll},
                                                                    {20, Notify::KillFocus},
                                                                    {21, Notify::EnterKey},
                                                                    {21, Notify::TabKey},
                                                                    {20, Notify::DefaultKey}}));
}

}  // namespace
}  // namespace tovrik
