// SPDX-License-Identifier: MIT
#include "platform/control_set.h"

namespace tovrik {

Control ControlFromTemplate(const ControlTemplate& t)
{
    Control control(t.id, t.kind);
    control.SetText(t.text);
    control.SetArea(t.rect);
    control.Show(t.visible);
    control.Enable(t.enabled);
    control.SetReadOnly(t.readOnly);
    control.SetLimit(t.limit);
    control.SetCheck(t.checked);
    control.SetTakesEnterAndTab(t.takesEnterAndTab);
    for (const std::string& item : t.items) {
        control.AddString(item);
    }
    if (t.kind == ControlKind::Slider) {
        control.SetRange(t.rangeMin, t.rangeMax);
    }
    return control;
}

void ControlSet::Build(const DialogTemplate& dialogTemplate)
{
    controls_.clear();
    for (const ControlTemplate& t : dialogTemplate.controls) {
        controls_.push_back(ControlFromTemplate(t));
    }
}

Control& ControlSet::Item(int id)
{
    return const_cast<Control&>(static_cast<const ControlSet*>(this)->Item(id));
}

const Control& ControlSet::Item(int id) const
{
    if (id != kNoControlId) {
        for (const Control& control : controls_) {
            if (control.Id() == id) {
                return control;
            }
        }
    }
    none_ = Control(kNoControlId, ControlKind::Static);
    return none_;
}

void ControlSet::EnableGroupControls(int groupId, bool enable)
{
    const Control& group = Item(groupId);
    if (group.Kind() != ControlKind::GroupBox) {
        return;
    }
    const Rect area = group.Area();
    for (Control& control : controls_) {
        if (control.Kind() != ControlKind::Static && control.Area().Intersects(area)) {
            control.Enable(enable);
        }
    }
}

}  // namespace tovrik
