// SPDX-License-Identifier: MIT
#include "platform/user_input.h"

#include <algorithm>
#include <iterator>

#include "platform/control.h"
#include "platform/dialog.h"

namespace tovrik::user_input {

namespace {

// Automatic radio buttons form groups of consecutive radio buttons in template order.
void CheckInRun(Dialog& owner, const Control& clicked)
{
    const auto& controls = owner.Controls();
    const auto at = std::find_if(controls.begin(), controls.end(),
                                 [&](const auto& c) { return c.get() == &clicked; });
    if (at == controls.end()) {
        return;
    }
    auto first = at;
    while (first != controls.begin() && (*std::prev(first))->Kind() == ControlKind::RadioButton) {
        --first;
    }
    for (auto it = first; it != controls.end() && (*it)->Kind() == ControlKind::RadioButton; ++it) {
        (*it)->SetCheck(it == at);
    }
}

}  // namespace

void Click(Dialog& owner, Control& control)
{
    switch (control.Kind()) {
        case ControlKind::PushButton:
            break;
        case ControlKind::CheckBox:
            control.SetCheck(!control.IsChecked());
            break;
        case ControlKind::RadioButton:
            CheckInRun(owner, control);
            break;
        default:
            return;
    }
    owner.OnCommand(control.Id(), Notify::Clicked);
}

void Type(Dialog& owner, Control& control, const std::string& text)
{
    if (control.Kind() != ControlKind::Edit || control.IsReadOnly()) {
        return;
    }
    control.TypeText(text);
    owner.OnCommand(control.Id(), Notify::Changed);
}

void Select(Dialog& owner, Control& control, int index)
{
    if (control.Kind() != ControlKind::ComboBox && control.Kind() != ControlKind::ListBox) {
        return;
    }
    control.SetCurSel(index);
    owner.OnCommand(control.Id(), Notify::SelChange);
}

void Slide(Dialog& owner, Control& control, int position)
{
    if (control.Kind() != ControlKind::Slider) {
        return;
    }
    control.SetPos(position);
    owner.OnCommand(control.Id(), Notify::Scroll);
}

void Leave(Dialog& owner, Control& control)
{
    owner.OnCommand(control.Id(), Notify::KillFocus);
}

void Key(Dialog& owner, Control& control, bool enter)
{
    if (control.Kind() != ControlKind::Edit) {
        return;
    }
    if (!control.TakesEnterAndTab()) {
        if (enter) {
            owner.OnCommand(control.Id(), Notify::DefaultKey);
        }
        return;
    }
    owner.OnCommand(control.Id(), enter ? Notify::EnterKey : Notify::TabKey);
}

}  // namespace tovrik::user_input
