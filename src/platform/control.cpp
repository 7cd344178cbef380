// SPDX-License-Identifier: MIT
#include "platform/control.h"

#include "platform/latin1_text.h"

#include <algorithm>

namespace tovrik {

bool Rect::Intersects(const Rect& other) const
{
    if (IsEmpty() || other.IsEmpty()) {
        return false;
    }
    return left < other.right && other.left < right && top < other.bottom && other.top < bottom;
}

Control::Control(int id, ControlKind kind) : id_(id), kind_(kind) {}

int Control::AddString(const std::string& text)
{
    items_.push_back(text);
    return GetCount() - 1;
}

int Control::InsertString(int index, const std::string& text)
{
    if (index < 0) {
        return AddString(text);
    }
    if (index > GetCount()) {
        return kListError;
    }
    items_.insert(items_.begin() + index, text);
    if (selection_ >= index) {
        ++selection_;
    }
    return index;
}

int Control::DeleteString(int index)
{
    if (index < 0 || index >= GetCount()) {
        return kListError;
    }
    items_.erase(items_.begin() + index);
    if (selection_ == index) {
        selection_ = -1;
    } else if (selection_ > index) {
        --selection_;
    }
    return GetCount();
}

void Control::ResetContent()
{
    items_.clear();
    selection_ = -1;
}

std::string Control::GetItemText(int index) const
{
    if (index < 0 || index >= GetCount()) {
        return {};
    }
    return items_[index];
}

int Control::FindStringExact(const std::string& text, int startAfter) const
{
    const int count = GetCount();
    if (count == 0) {
        return kListError;
    }
    // The search starts after `startAfter` and wraps around, as the desktop lists do.
    const int first = (startAfter < -1 || startAfter >= count) ? 0 : startAfter + 1;
    for (int n = 0; n < count; ++n) {
        const int i = (first + n) % count;
        if (items_[i] == text) {
            return i;
        }
    }
    return kListError;
}

int Control::SetCurSel(int index)
{
    if (index < 0 || index >= GetCount()) {
        selection_ = -1;
        return kListError;
    }
    selection_ = index;
    return index;
}

void Control::SetRange(int minimum, int maximum)
{
    rangeMin_ = minimum;
    rangeMax_ = std::max(minimum, maximum);
    position_ = std::clamp(position_, rangeMin_, rangeMax_);
}

void Control::SetPos(int position)
{
    position_ = std::clamp(position, rangeMin_, rangeMax_);
}

void Control::TypeText(const std::string& text)
{
    // The limit counts characters, and never cuts one in half.
    if (limit_ > 0 && Utf8Length(text) > static_cast<std::size_t>(limit_)) {
        text_ = std::string(Utf8Prefix(text, static_cast<std::size_t>(limit_)));
    } else {
        text_ = text;
    }
}

}  // namespace tovrik
