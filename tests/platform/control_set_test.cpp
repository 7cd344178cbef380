// SPDX-License-Identifier: MIT
#include "platform/control_set.h"

#include <gtest/gtest.h>

namespace tovrik {
namespace {

ControlTemplate Item(int id, ControlKind kind, Rect rect)
{
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.rect = rect;
    return c;
}

DialogTemplate Form()
{
    DialogTemplate d;
    d.controls = {
        Item(kNoControlId, ControlKind::Static, {0, 0, 20, 10}),
        Item(1, ControlKind::Edit, {30, 0, 60, 10}),
        Item(2, ControlKind::GroupBox, {0, 20, 100, 80}),
        Item(kNoControlId, ControlKind::Static, {5, 30, 40, 40}),
        Item(3, ControlKind::ComboBox, {5, 45, 40, 55}),
        Item(4, ControlKind::Slider, {0, 90, 50, 100}),
    };
    d.controls[1].limit = 4;
    d.controls[1].text = "ab";
    d.controls[1].visible = false;
    d.controls[4].items = {"x", "y"};
    d.controls[4].enabled = false;
    d.controls[5].rangeMin = 5;
    d.controls[5].rangeMax = 9;
    return d;
}

TEST(ControlSetTest, BuildStartsEveryControlAsTheTemplateSaysInTemplateOrder)
{
    ControlSet set;
    set.Build(Form());
    set.Build(Form());  // a second build replaces, never appends
    ASSERT_EQ(set.All().size(), 6u);
    EXPECT_EQ(set.All()[2].Id(), 2);
    const Control& edit = set.Item(1);
    EXPECT_EQ(edit.Text(), "ab");
    EXPECT_EQ(edit.Limit(), 4);
    EXPECT_FALSE(edit.IsVisible());
    EXPECT_EQ(set.Item(3).Items(), (std::vector<std::string>{"x", "y"}));
    EXPECT_FALSE(set.Item(3).IsEnabled());
    EXPECT_EQ(set.Item(4).RangeMin(), 5);
    EXPECT_EQ(set.Item(4).RangeMax(), 9);
    EXPECT_EQ(set.Item(4).GetPos(), 5);
}

TEST(ControlSetTest, UnknownIdsAndLabelsReachOnlyADetachedSpare)
{
    ControlSet set;
    set.Build(Form());
    set.Item(kNoControlId).SetText("changed");
    set.Item(99).SetText("changed too");
    EXPECT_EQ(set.Item(99).Text(), "");  // fresh at every call
    for (const Control& control : set.All()) {
        EXPECT_EQ(control.Text().find("changed"), std::string::npos) << control.Id();
    }
    set.Clear();
    EXPECT_TRUE(set.All().empty());
    EXPECT_EQ(set.Item(1).Id(), kNoControlId);
}

TEST(ControlSetTest, GroupEnablingCoversWhatMeetsTheGroupButNotLabels)
{
    ControlSet set;
    set.Build(Form());
    set.EnableGroupControls(2, false);
    EXPECT_FALSE(set.Item(2).IsEnabled());
    EXPECT_TRUE(set.All()[3].IsEnabled());  // the label inside
    EXPECT_TRUE(set.Item(1).IsEnabled());   // outside
    EXPECT_TRUE(set.Item(4).IsEnabled());   // outside
    set.EnableGroupControls(2, true);
    EXPECT_TRUE(set.Item(3).IsEnabled());  // the combo inside

    set.EnableGroupControls(1, false);  // not a group box
    EXPECT_TRUE(set.Item(1).IsEnabled());
}

}  // namespace
}  // namespace tovrik
