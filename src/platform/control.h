// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

namespace tovrik {

enum class ControlKind {
    Static,
    GroupBox,
    PushButton,
    CheckBox,
    RadioButton,
    Edit,
    ComboBox,  // drop-down list
    ListBox,
    Slider,
};

// The notifications a control sends to its dialog.
enum class Notify {
    Clicked,     // push button, check box, radio button
    Changed,     // edit text changed
    SelChange,   // drop-down list or list box selection changed
    KillFocus,   // focus lost
    Scroll,      // slider moved
    EnterKey,    // Enter in an edit that takes it
    TabKey,      // Tab in an edit that takes it
    DefaultKey,  // Enter in an edit that leaves it to its dialog (the dialog's default button)
};

// A rectangle in dialog units; right and bottom are exclusive.
struct Rect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    // True when the two share at least one point (empty rectangles share none).
    bool Intersects(const Rect& other) const;

    friend bool operator==(const Rect&, const Rect&) = default;
};

// Returned by list operations that find nothing or are refused.
constexpr int kListError = -1;

// One control of a dialog with its whole state. List and slider rules are
// those of the desktop controls: selections are indexes or none, insertions
// move the selection with its entry, the slider position stays in its range.
class Control {
public:
    Control(int id, ControlKind kind);

    int Id() const { return id_; }
    ControlKind Kind() const { return kind_; }

    const std::string& Text() const { return text_; }
    void SetText(std::string text) { text_ = std::move(text); }

    bool IsEnabled() const { return enabled_; }
    void Enable(bool enable) { enabled_ = enable; }
    bool IsVisible() const { return visible_; }
    void Show(bool show) { visible_ = show; }
    bool IsReadOnly() const { return readOnly_; }
    void SetReadOnly(bool readOnly) { readOnly_ = readOnly; }
    // Characters an edit accepts while typing; 0 = no limit.
    int Limit() const { return limit_; }
    void SetLimit(int limit) { limit_ = limit < 0 ? 0 : limit; }
    // Edits that take Enter and Tab themselves instead of the dialog.
    bool TakesEnterAndTab() const { return takesEnterAndTab_; }
    void SetTakesEnterAndTab(bool takes) { takesEnterAndTab_ = takes; }
    const Rect& Area() const { return rect_; }
    void SetArea(const Rect& rect) { rect_ = rect; }

    // Check boxes and radio buttons.
    bool IsChecked() const { return checked_; }
    void SetCheck(bool checked) { checked_ = checked; }

    // Drop-down lists and list boxes. Index results are kListError when refused.
    int AddString(const std::string& text);
    int InsertString(int index, const std::string& text);  // -1 appends
    int DeleteString(int index);                           // remaining count
    void ResetContent();
    int GetCount() const { return static_cast<int>(items_.size()); }
    std::string GetItemText(int index) const;  // empty when out of range
    int FindStringExact(const std::string& text, int startAfter = -1) const;
    // -1 clears the selection; an index out of range clears it and returns kListError.
    int SetCurSel(int index);
    int GetCurSel() const { return selection_; }
    const std::vector<std::string>& Items() const { return items_; }

    // Sliders.
    void SetRange(int minimum, int maximum);
    int RangeMin() const { return rangeMin_; }
    int RangeMax() const { return rangeMax_; }
    void SetPos(int position);
    int GetPos() const { return position_; }

    // A text as typed into the emptied field: characters past the limit are dropped.
    void TypeText(const std::string& text);

private:
    int id_;
    ControlKind kind_;
    std::string text_;
    bool enabled_ = true;
    bool visible_ = true;
    bool readOnly_ = false;
    int limit_ = 0;
    bool takesEnterAndTab_ = false;
    Rect rect_;
    bool checked_ = false;
    std::vector<std::string> items_;
    int selection_ = -1;
    int rangeMin_ = 0;
    int rangeMax_ = 100;
    int position_ = 0;
};

}  // namespace tovrik
