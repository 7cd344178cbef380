// SPDX-License-Identifier: MIT
#pragma once

#include <vector>

#include "platform/control.h"
#include "platform/dialog_template.h"

namespace tovrik {

// A control as a window made from its template starts.
Control ControlFromTemplate(const ControlTemplate& t);

// The controls of one dialog template without a window, in template order:
// what a page's model holds and its page mirrors into the window.
class ControlSet {
public:
    // Fresh controls from the template, replacing any there were.
    void Build(const DialogTemplate& dialogTemplate);
    void Clear() { controls_.clear(); }

    std::vector<Control>& All() { return controls_; }
    const std::vector<Control>& All() const { return controls_; }

    // The first control with this id. Any other id (kNoControlId included)
    // lands on a detached spare control, fresh at every call, instead of nowhere.
    Control& Item(int id);
    const Control& Item(int id) const;

    // Enables or disables every control whose rectangle meets the group box's,
    // except labels, as a dialog does; ignored unless `groupId` is a group box.
    void EnableGroupControls(int groupId, bool enable);

private:
    std::vector<Control> controls_;
    mutable Control none_{kNoControlId, ControlKind::Static};
};

}  // namespace tovrik
