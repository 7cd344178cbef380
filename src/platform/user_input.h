// SPDX-License-Identifier: MIT
#pragma once

#include <string>

namespace tovrik {

class Control;
class Dialog;

// What a user's action does to a control before its dialog is told: the
// desktop controls change their own state first (an automatic check box
// toggles, an automatic radio button checks itself and unchecks its run, a
// list selects the entry), then the notification goes to the owning dialog.
// Front ends call these so that a click on a widget and a scripted click are
// one and the same to the pages.
namespace user_input {

// Push button, check box or radio button; anything else is ignored.
void Click(Dialog& owner, Control& control);

// The whole text of an edit after the user changed it; characters past the
// control's limit are dropped, as the edit refuses them while typing.
void Type(Dialog& owner, Control& control, const std::string& text);

// A list entry chosen by the user; -1 clears the selection.
void Select(Dialog& owner, Control& control, int index);

// A slider moved by the user; the position is clamped to the range.
void Slide(Dialog& owner, Control& control, int position);

// The control lost the keyboard focus.
void Leave(Dialog& owner, Control& control);

// Enter (true) or Tab (false) in an edit that takes them. In an edit that
// does not, Enter is the dialog's (Notify::DefaultKey, which the dialog may
// take as a press of its default button) and Tab only moves the focus.
void Key(Dialog& owner, Control& control, bool enter);

}  // namespace user_input

}  // namespace tovrik
