// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "platform/control.h"

namespace tovrik {

// Controls without an id of their own (labels, frames) use this id.
constexpr int kNoControlId = -1;

// A control as the dialog template defines it, before the window exists.
struct ControlTemplate {
    int id = kNoControlId;
    ControlKind kind = ControlKind::Static;
    std::string text;
    Rect rect;
    bool visible = true;
    bool enabled = true;
    bool readOnly = false;
    int limit = 0;
    bool checked = false;
    bool takesEnterAndTab = false;
    bool multiLine = false;  // an edit of several lines that wraps and scrolls
    std::vector<std::string> items;
    int rangeMin = 0;
    int rangeMax = 100;
    int iconId = 0;  // a label that shows this icon instead of text
};

struct DialogTemplate {
    int id = 0;
    std::string title;
    Rect rect;  // the dialog's size in dialog units
    bool fixedFont = false;
    int iconId = 0;
    // Where the dialog hosts its property sheet, if it has one.
    Rect sheetArea;
    std::vector<ControlTemplate> controls;
};

}  // namespace tovrik
