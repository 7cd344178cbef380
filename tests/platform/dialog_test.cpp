// SPDX-License-Identifier: MIT
#include <gtest/gtest.h>

#include "platform/dialog.h"
#include "platform/property_sheet.h"
#include "platform/recording_prompter.h"

namespace tovrik {
namespace {

ControlTemplate Item(int id, ControlKind kind, Rect rect, int limit = 0)
{
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.rect = rect;
    c.limit = limit;
    return c;
}

DialogTemplate Form(const std::string& title = "Form")
{
    DialogTemplate d;
    d.title = title;
    d.controls = {
        Item(10, ControlKind::Edit, {0, 0, 50, 10}),
        Item(11, ControlKind::GroupBox, {0, 20, 100, 80}),
        Item(kNoControlId, ControlKind::Static, {5, 30, 40, 40}),
        Item(12, ControlKind::CheckBox, {5, 45, 40, 55}),
        Item(13, ControlKind::Slider, {90, 70, 120, 90}),       // overlaps the group's corner
        Item(14, ControlKind::PushButton, {100, 20, 140, 30}),  // touches its edge only
        Item(15, ControlKind::ComboBox, {0, 90, 50, 100}),
    };
    return d;
}

class FormDialog : public Dialog {
public:
    using Dialog::Dialog;
    std::string name = "abc";
    int flag = 0;
    std::vector<std::pair<UINT, WPARAM>> received;

    void OnMessage(UINT message, WPARAM wParam, LPARAM) override
    {
        received.emplace_back(message, wParam);
    }

protected:
    void DoDataExchange(DataExchange& dx) override
    {
        dx.Text(10, name, 5);
        dx.Check(12, flag);
    }
};

class DialogTest : public ::testing::Test {
protected:
    RecordingPrompter prompter;
    MessageQueue queue;
    UiContext ui{prompter, queue};
};

TEST_F(DialogTest, DataExchangeRefusesTextsOverTheirLimitAndKeepsTheField)
{
    FormDialog dialog(ui, Form());
    ASSERT_EQ(dialog.Create(), 1);
    ASSERT_EQ(dialog.UpdateData(false), 1);
    EXPECT_EQ(dialog.GetDlgItem(10)->Text(), "abc");
    EXPECT_EQ(dialog.GetDlgItem(10)->Limit(), 5);

    dialog.GetDlgItem(10)->TypeText("1234567");  // typing stops at the limit
    EXPECT_EQ(dialog.GetDlgItem(10)->Text(), "12345");
    dialog.GetDlgItem(12)->SetCheck(true);
    ASSERT_EQ(dialog.UpdateData(true), 1);
    EXPECT_EQ(dialog.name, "12345");
    EXPECT_EQ(dialog.flag, 1);

    dialog.GetDlgItem(10)->SetText("123456");  // set by code, past the limit
    dialog.GetDlgItem(12)->SetCheck(false);
    EXPECT_EQ(dialog.UpdateData(true), 0);
    EXPECT_EQ(prompter.Messages(),
              std::vector<std::string>{"Please enter no more than 5 characters."});
    EXPECT_EQ(dialog.name, "12345");
    EXPECT_EQ(dialog.flag, 1);  // the exchange ended at the refusal
}

TEST_F(DialogTest, DataExchangeOverWindowlessControlsRefusesLikeTheDialog)
{
    std::vector<Control> controls;
    for (const ControlTemplate& t : Form().controls) {
        controls.emplace_back(t.id, t.kind);
    }
    std::string name = "abc";
    int flag = 1;
    DataExchange show(controls, prompter, false);
    show.Text(10, name, 5);
    show.Check(12, flag);
    EXPECT_EQ(controls[0].Text(), "abc");
    EXPECT_EQ(controls[0].Limit(), 5);
    EXPECT_TRUE(controls[3].IsChecked());

    controls[0].SetText("123456");
    controls[3].SetCheck(false);
    DataExchange take(controls, prompter, true);
    take.Text(10, name, 5);
    take.Check(12, flag);
    EXPECT_TRUE(take.Failed());
    EXPECT_EQ(prompter.Messages(),
              std::vector<std::string>{"Please enter no more than 5 characters."});
    EXPECT_EQ(name, "abc");
    EXPECT_EQ(flag, 1);  // the exchange ended at the refusal

    controls[0].SetText("12345");
    DataExchange again(controls, prompter, true);
    again.Text(10, name, 5);
    again.Check(12, flag);
    EXPECT_FALSE(again.Failed());
    EXPECT_EQ(name, "12345");
    EXPECT_EQ(flag, 0);
}

TEST_F(DialogTest, ListRulesFollowTheDesktopControls)
{
    Control list(1, ControlKind::ListBox);
    list.AddString("a");
    list.AddString("b");
    list.AddString("a");
    EXPECT_EQ(list.SetCurSel(1), 1);
    EXPECT_EQ(list.InsertString(0, "z"), 0);
    EXPECT_EQ(list.GetCurSel(), 2);  // the selection moves with its entry
    EXPECT_EQ(list.GetItemText(2), "b");
    // Newest-first lists insert at the selected row itself: the selection follows its entry down.
    Control events(2, ControlKind::ListBox);
    events.AddString("older");
    events.SetCurSel(0);
    EXPECT_EQ(events.InsertString(0, "newer"), 0);
    EXPECT_EQ(events.GetCurSel(), 1);
    EXPECT_EQ(list.InsertString(9, "x"), kListError);
    EXPECT_EQ(list.FindStringExact("a"), 1);
    EXPECT_EQ(list.FindStringExact("a", 1), 3);
    EXPECT_EQ(list.FindStringExact("a", 3), 1);  // the search wraps around
    EXPECT_EQ(list.FindStringExact("q"), kListError);
    EXPECT_EQ(list.DeleteString(0), 3);
    EXPECT_EQ(list.GetCurSel(), 1);
    EXPECT_EQ(list.DeleteString(1), 2);
    EXPECT_EQ(list.GetCurSel(), -1);  // deleting the selected entry clears the selection
    list.SetCurSel(0);
    EXPECT_EQ(list.SetCurSel(7), kListError);
    EXPECT_EQ(list.GetCurSel(), -1);
    list.SetCurSel(1);
    list.ResetContent();
    EXPECT_EQ(list.GetCount(), 0);
    EXPECT_EQ(list.GetCurSel(), -1);

    Control slider(2, ControlKind::Slider);
    slider.SetRange(0, 48);
    slider.SetPos(60);
    EXPECT_EQ(slider.GetPos(), 48);
    slider.SetPos(-3);
    EXPECT_EQ(slider.GetPos(), 0);
    slider.SetPos(30);
    slider.SetRange(0, 20);  // a narrower range pulls the position in
    EXPECT_EQ(slider.GetPos(), 20);
}

TEST_F(DialogTest, GroupEnablingCoversIntersectingControlsButNotLabels)
{
    FormDialog dialog(ui, Form());
    dialog.Create();
    dialog.EnableGroupControls(dialog.GetDlgItem(11), false);
    EXPECT_FALSE(dialog.GetDlgItem(11)->IsEnabled());  // the group box itself
    EXPECT_FALSE(dialog.GetDlgItem(12)->IsEnabled());
    EXPECT_FALSE(dialog.GetDlgItem(13)->IsEnabled());
    EXPECT_TRUE(dialog.GetDlgItem(14)->IsEnabled());
    EXPECT_TRUE(dialog.GetDlgItem(10)->IsEnabled());
    EXPECT_TRUE(dialog.Controls()[2]->IsEnabled());  // the label inside
    EXPECT_TRUE(dialog.GetDlgItem(15)->IsEnabled());

    // Anything but a group box of this dialog is ignored.
    dialog.EnableGroupControls(dialog.GetDlgItem(12), true);
    EXPECT_FALSE(dialog.GetDlgItem(13)->IsEnabled());
    FormDialog other(ui, Form());
    other.Create();
    dialog.EnableGroupControls(other.GetDlgItem(11), true);
    EXPECT_FALSE(dialog.GetDlgItem(13)->IsEnabled());
    dialog.EnableGroupControls(nullptr, true);
    dialog.EnableGroupControls(dialog.GetDlgItem(11), true);
    EXPECT_TRUE(dialog.GetDlgItem(13)->IsEnabled());
}

TEST_F(DialogTest, MessagesReachOnlyWindowsThatStillExist)
{
    FormDialog first(ui, Form());
    FormDialog second(ui, Form());
    first.Create();
    second.Create();
    EXPECT_NE(first.Handle(), second.Handle());
    first.PostMessage(1131, 1);
    second.PostMessage(1131, 2);
    first.PostMessage(1125, 3);
    second.Destroy();
    EXPECT_EQ(second.GetDlgItem(10), nullptr);
    second.PostMessage(1131, 4);  // no window: not posted
    EXPECT_EQ(ui.DispatchPending(), 2);
    EXPECT_EQ(first.received, (std::vector<std::pair<UINT, WPARAM>>{{1131, 1}, {1125, 3}}));
    EXPECT_TRUE(second.received.empty());
    EXPECT_EQ(ui.Find(first.Handle()), &first);
}

class CountingPage : public PropertyPage {
public:
    using PropertyPage::PropertyPage;
    int inits = 0;
    int activations = 0;
    int destroys = 0;
    bool allowLeave = true;

    void OnSetActive() override
    {
        PropertyPage::OnSetActive();
        ++activations;
    }
    bool OnKillActive() override { return allowLeave && PropertyPage::OnKillActive(); }

protected:
    int OnInitDialog() override
    {
        ++inits;
        return 1;
    }
    void OnDestroy() override { ++destroys; }
};

TEST_F(DialogTest, PageWindowsAreCreatedOnFirstActivationAndDestroyedOnRemoval)
{
    CountingPage a(ui, Form("A"));
    CountingPage b(ui, Form("B"));
    CountingPage c(ui, Form("C"));
    PropertySheet sheet;
    sheet.AddPage(&a);
    sheet.AddPage(&b);
    sheet.AddPage(&c);
    EXPECT_FALSE(a.IsWindow());
    sheet.Create();
    EXPECT_TRUE(a.IsWindow());
    EXPECT_FALSE(b.IsWindow());

    EXPECT_EQ(sheet.SetActivePage(&c), 1);
    EXPECT_EQ(c.inits, 1);
    EXPECT_EQ(sheet.SetActivePage(&a), 1);
    EXPECT_EQ(sheet.SetActivePage(&c), 1);
    EXPECT_EQ(c.inits, 1);
    EXPECT_EQ(c.activations, 2);
    EXPECT_FALSE(b.IsWindow());

    c.allowLeave = false;  // a page may refuse to be left
    EXPECT_EQ(sheet.SetActivePage(&a), 0);
    EXPECT_EQ(sheet.GetActivePage(), &c);
    c.allowLeave = true;

    // Removing the active page activates the one before it.
    sheet.RemovePage(&c);
    EXPECT_FALSE(c.IsWindow());
    EXPECT_EQ(c.destroys, 1);
    EXPECT_EQ(sheet.GetActivePage(), &b);
    EXPECT_TRUE(b.IsWindow());
    sheet.RemovePage(&a);
    EXPECT_EQ(sheet.Pages(), std::vector<PropertyPage*>{&b});

    // Added back, a page gets a new window only when activated again.
    sheet.AddPage(&c);
    EXPECT_FALSE(c.IsWindow());
    sheet.SetActivePage(&c);
    EXPECT_EQ(c.inits, 2);
    EXPECT_EQ(sheet.FindPage("C"), &c);
    EXPECT_EQ(sheet.FindPage("A"), nullptr);
}

}  // namespace
}  // namespace tovrik
