// SPDX-License-Identifier: MIT
#include "settings_view.h"

#include <algorithm>
#include <map>
#include <ostream>

#include <nlohmann/json.hpp>

#include "app/demo_dlg.h"
#include "device_access.h"
#include "headless_tool.h"
#include "platform/control.h"
#include "platform/dialog.h"

namespace tovrik::cli {

namespace {

// A label in parentheses starting this close to a field's right edge is that
// field's unit, as in "(dB)".
constexpr int kUnitGap = 4;
// A label this close above a field with nothing beside it names the field.
constexpr int kLabelAboveGap = 6;

bool SameRow(const Rect& a, const Rect& b)
{
    return a.top < b.bottom && b.top < a.bottom;
}

bool SameColumn(const Rect& a, const Rect& b)
{
    return a.left < b.right && b.left < a.right;
}

bool Inside(const Rect& inner, const Rect& outer)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top &&
           inner.bottom <= outer.bottom;
}

bool IsField(const Control& c)
{
    switch (c.Kind()) {
        case ControlKind::Edit:
        case ControlKind::ComboBox:
        case ControlKind::ListBox:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::Slider:
            return true;
        default:
            return false;
    }
}

bool IsLabel(const Control& c)
{
    return c.Kind() == ControlKind::Static && !c.Text().empty();
}

std::string Clean(std::string text)
{
    while (!text.empty() && (text.back() == ' ' || text.back() == ':')) {
        text.pop_back();
    }
    return text;
}

class PageReader {
public:
    explicit PageReader(const Dialog& page) : page_(page)
    {
        for (const auto& c : page.Controls()) {
            controls_.push_back(c.get());
        }
    }

    std::vector<Setting> Read()
    {
        std::vector<Entry> entries;
        std::map<const Control*, std::string> rowLabels;
        for (std::size_t i = 0; i < controls_.size(); ++i) {
            const Control& c = *controls_[i];
            if (c.Kind() == ControlKind::RadioButton) {
                if (i > 0 && controls_[i - 1]->Kind() == ControlKind::RadioButton) {
                    continue;
                }
                entries.push_back({&c, Clean(GroupCaption(c)), RadioValue(i)});
            } else if (c.Kind() == ControlKind::CheckBox) {
                entries.push_back({&c, Clean(c.Text()), c.IsChecked() ? "on" : "off"});
            } else if (c.Kind() == ControlKind::Edit || c.Kind() == ControlKind::ComboBox ||
                       c.Kind() == ControlKind::ListBox) {
                entries.push_back({&c, FieldLabel(c), FieldValue(c)});
            }
        }
        NameGridColumns(entries);
        // A hidden field without any label of its own carries nothing the page shows.
        std::erase_if(entries,
                      [](const Entry& e) { return e.label.empty() && !e.control->IsVisible(); });
        PrefixRepeatedLabels(entries);
        std::vector<Setting> settings;
        for (const Entry& e : entries) {
            settings.push_back({page_.Title(), e.label, e.value});
        }
        return settings;
    }

private:
    struct Entry {
        const Control* control;
        std::string label;
        std::string value;
    };

    static std::string FieldValue(const Control& c)
    {
        if (c.Kind() == ControlKind::Edit) {
            return c.Text();
        }
        return c.GetItemText(c.GetCurSel());
    }

    std::string RadioValue(std::size_t first) const
    {
        for (std::size_t i = first;
             i < controls_.size() && controls_[i]->Kind() == ControlKind::RadioButton; ++i) {
            if (controls_[i]->IsChecked()) {
                return Clean(controls_[i]->Text());
            }
        }
        return "none";
    }

    const Control* Group(const Control& c) const
    {
        const Control* best = nullptr;
        for (const Control* g : controls_) {
            if (g->Kind() == ControlKind::GroupBox && Inside(c.Area(), g->Area()) &&
                (best == nullptr || Inside(g->Area(), best->Area()))) {
                best = g;
            }
        }
        return best;
    }

    std::string GroupCaption(const Control& c) const
    {
        const Control* g = Group(c);
        return g != nullptr ? g->Text() : std::string();
    }

    // A field with no other field between it and `left` on its row.
    bool NothingBetween(const Control& c, int left) const
    {
        return std::none_of(controls_.begin(), controls_.end(), [&](const Control* d) {
            return d != &c && IsField(*d) && SameRow(d->Area(), c.Area()) &&
                   d->Area().left >= left && d->Area().right <= c.Area().left;
        });
    }

    bool IsUnit(const Control& label) const
    {
        if (label.Text().empty() || label.Text().front() != '(') {
            return false;
        }
        return std::any_of(controls_.begin(), controls_.end(), [&](const Control* d) {
            const int gap = label.Area().left - d->Area().right;
            return IsField(*d) && SameRow(d->Area(), label.Area()) && gap >= 0 && gap <= kUnitGap;
        });
    }

    // The labels on the field's row before it, back to the previous field.
    std::string LeftLabel(const Control& c) const
    {
        std::vector<const Control*> labels;
        for (const Control* s : controls_) {
            if (IsLabel(*s) && SameRow(s->Area(), c.Area()) && s->Area().right <= c.Area().left &&
                NothingBetween(c, s->Area().right) && !IsUnit(*s)) {
                labels.push_back(s);
            }
        }
        std::sort(labels.begin(), labels.end(), [](const Control* a, const Control* b) {
            return a->Area().left < b->Area().left;
        });
        std::string text;
        for (const Control* s : labels) {
            text += (text.empty() ? "" : " ") + Clean(s->Text());
        }
        return text;
    }

    // The nearest label above the field in its column.
    const Control* LabelAbove(const Control& c) const
    {
        const Control* best = nullptr;
        for (const Control* s : controls_) {
            if (IsLabel(*s) && SameColumn(s->Area(), c.Area()) &&
                s->Area().bottom <= c.Area().top &&
                (best == nullptr || s->Area().bottom > best->Area().bottom)) {
                best = s;
            }
        }
        return best;
    }

    std::string FieldLabel(const Control& c) const
    {
        if (std::string left = LeftLabel(c); !left.empty()) {
            return left;
        }
        // A check box that switches the field on, as in "Threshold :" [field].
        const Control* box = nullptr;
        for (const Control* b : controls_) {
            if (b->Kind() == ControlKind::CheckBox && SameRow(b->Area(), c.Area()) &&
                b->Area().right <= c.Area().left && NothingBetween(c, b->Area().right)) {
                box = b;
            }
        }
        if (box != nullptr) {
            return Clean(box->Text()) + " value";
        }
        if (const Control* above = LabelAbove(c);
            above != nullptr && c.Area().top - above->Area().bottom <= kLabelAboveGap) {
            return Clean(above->Text());
        }
        return {};
    }

    // Fields in a row that share one label on the left, like a table: each
    // takes its column's heading before the row's label.
    void NameGridColumns(std::vector<Entry>& entries) const
    {
        std::vector<std::size_t> grid;
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (!entries[i].label.empty() || entries[i].control->Kind() != ControlKind::Edit) {
                continue;
            }
            for (std::size_t j = 0; j < entries.size(); ++j) {
                const Control& row = *entries[j].control;
                if (row.Kind() == ControlKind::Edit && !entries[j].label.empty() &&
                    SameRow(row.Area(), entries[i].control->Area()) &&
                    row.Area().right <= entries[i].control->Area().left) {
                    entries[i].label = entries[j].label;
                    grid.push_back(i);
                    grid.push_back(j);
                    break;
                }
            }
        }
        std::sort(grid.begin(), grid.end());
        grid.erase(std::unique(grid.begin(), grid.end()), grid.end());
        for (std::size_t i : grid) {
            if (const Control* heading = LabelAbove(*entries[i].control)) {
                entries[i].label = Clean(heading->Text()) + " " + entries[i].label;
            }
        }
    }

    void PrefixRepeatedLabels(std::vector<Entry>& entries) const
    {
        std::map<std::string, int> count;
        for (const Entry& e : entries) {
            ++count[e.label];
        }
        for (Entry& e : entries) {
            if (count[e.label] > 1) {
                if (const std::string caption = Clean(GroupCaption(*e.control)); !caption.empty()) {
                    e.label = caption + " / " + e.label;
                }
            }
        }
        // What stays repeated (fields without a label of their own) is numbered.
        std::map<std::string, int> seen;
        for (Entry& e : entries) {
            if (const int n = ++seen[e.label]; n > 1) {
                e.label += " #" + std::to_string(n);
            }
        }
    }

    const Dialog& page_;
    std::vector<const Control*> controls_;
};

std::string TextLine(const std::string& label, const std::string& value)
{
    return label + ":" + (value.empty() ? "" : " " + value);
}

}  // namespace

std::vector<Setting> DialogSettings(const Dialog& page)
{
    return PageReader(page).Read();
}

std::vector<Setting> ConfigPageSettings(CDemoDlg& window)
{
    std::vector<Setting> settings;
    for (CConfigPage* page : window.ConfigPages()) {
        std::vector<Setting> own = DialogSettings(*page);
        settings.insert(settings.end(), own.begin(), own.end());
    }
    return settings;
}

std::vector<SettingChange> DiffSettings(const std::vector<Setting>& before,
                                        const std::vector<Setting>& after)
{
    std::vector<SettingChange> changes;
    const std::size_t common = std::min(before.size(), after.size());
    for (std::size_t i = 0; i < common; ++i) {
        if (before[i].value != after[i].value) {
            changes.push_back({before[i].page, before[i].label, before[i].value, after[i].value});
        }
    }
    return changes;
}

namespace {

// The controls hold the texts the window shows; a text that is not UTF-8
// still prints, with U+FFFD in place of what cannot be read.
std::string Json(const nlohmann::ordered_json& value)
{
    return value.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
}

void PrintJsonRows(std::ostream& out, const std::vector<nlohmann::ordered_json>& rows)
{
    out << "[";
    for (std::size_t i = 0; i < rows.size(); ++i) {
        out << (i == 0 ? "\n  " : ",\n  ") << Json(rows[i]);
    }
    out << "\n]\n";
}

}  // namespace

void PrintSettings(std::ostream& out, const std::vector<Setting>& settings, bool json)
{
    if (json) {
        std::vector<nlohmann::ordered_json> rows;
        for (const Setting& s : settings) {
            rows.push_back({{"page", s.page}, {"label", s.label}, {"value", s.value}});
        }
        PrintJsonRows(out, rows);
        return;
    }
    std::string page;
    for (const Setting& s : settings) {
        if (s.page != page) {
            page = s.page;
            out << "[" << page << "]\n";
        }
        out << TextLine(s.label, s.value) << '\n';
    }
}

void PrintChanges(std::ostream& out, const std::vector<SettingChange>& changes, bool json)
{
    if (json) {
        std::vector<nlohmann::ordered_json> rows;
        for (const SettingChange& c : changes) {
            rows.push_back(
                {{"page", c.page}, {"label", c.label}, {"old", c.before}, {"new", c.after}});
        }
        PrintJsonRows(out, rows);
        return;
    }
    for (const SettingChange& c : changes) {
        out << "[" << c.page << "] " << c.label << ": \"" << c.before << "\" -> \"" << c.after
            << "\"\n";
    }
}

std::vector<Setting> ImageSettings(const std::vector<std::uint8_t>& image)
{
    ToolOnImage loaded(image);
    loaded.Tool().ShowConfigPages();
    return ConfigPageSettings(loaded.Tool().Window());
}

std::vector<Setting> ImageSettings(const std::string& path)
{
    return ImageSettings(ImageFileBytes(path));
}

}  // namespace tovrik::cli
