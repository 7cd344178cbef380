// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/dialog_template.h"

namespace tovrik::templates {

// The size of every property page.
constexpr Rect kPageRect{0, 0, 380, 250};

inline ControlTemplate Make(int id, ControlKind kind, const std::string& text, Rect rect)
{
    ControlTemplate c;
    c.id = id;
    c.kind = kind;
    c.text = text;
    c.rect = rect;
    return c;
}

// A label without an id of its own.
inline ControlTemplate Label(const std::string& text, Rect rect)
{
    return Make(kNoControlId, ControlKind::Static, text, rect);
}

inline ControlTemplate Disabled(ControlTemplate c)
{
    c.enabled = false;
    return c;
}

// Created hidden and disabled.
inline ControlTemplate Hidden(ControlTemplate c)
{
    c.visible = false;
    c.enabled = false;
    return c;
}

inline ControlTemplate Limited(ControlTemplate c, int limit)
{
    c.limit = limit;
    return c;
}

inline ControlTemplate MultiLine(ControlTemplate c)
{
    c.multiLine = true;
    return c;
}

inline ControlTemplate ReadOnly(ControlTemplate c)
{
    c.readOnly = true;
    return c;
}

inline DialogTemplate Page(int id, const std::string& title, bool fixedFont = false)
{
    DialogTemplate d;
    d.id = id;
    d.title = title;
    d.rect = kPageRect;
    d.fixedFont = fixedFont;
    return d;
}

}  // namespace tovrik::templates
