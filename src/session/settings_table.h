// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "pages/config_page_model.h"

namespace tovrik {

// The configuration pages, in the order the tool shows them.
enum SettingsPage { kUsbPage, kVolumePage, kEqPage, kMiscPage, kSettingsPageCount };

// One setting a configuration page holds, under a name that stays: lower
// case words joined by dots and underscores ("usb.serial").
struct SettingEntry {
    SettingsPage page;
    const char* key;
    // The label the page shows beside (or above) it.
    const char* label;
    // The control that holds it on its page: an edit, a list, a check box,
    // or the first radio button of a run.
    int controlId;
    // A read-only field that follows a slider: the value is set by moving it.
    int sliderId = 0;
};

// A setting with its value as its page shows it.
struct SettingValue {
    std::string key;
    std::string page;
    std::string label;
    std::string kind;  // "text", "list", "switch" or "choice"
    std::string value;
};

struct SettingChange {
    std::string key;
    std::string page;
    std::string label;
    std::string before;
    std::string after;
};

// Every setting of the four configuration pages, read from and assigned to
// their models (see ConfigPageModel) by stable keys.
class SettingsTable {
public:
    using Models = std::array<ConfigPageModel*, kSettingsPageCount>;

    explicit SettingsTable(const Models& models) : models_(models) {}

    // Where the messages the pages show come from (each call returns those
    // since the last), so that a refusal can repeat what the page said.
    void SetMessageSource(std::function<std::vector<std::string>()> take)
    {
        takeMessages_ = std::move(take);
    }

    // Every setting, in page order and, within a page, in the page's order.
    static const std::vector<SettingEntry>& Entries();
    // The setting a key or one of its older short names (vid, pid,
    // manufacturer, product, serial, ucq, interval) stands for; nullptr when none.
    static const SettingEntry* Find(const std::string& key);
    // The title of a page, as its tab shows it.
    static std::string PageTitle(SettingsPage page);
    // The kind of value a setting takes, from its control.
    static std::string KindOf(const SettingEntry& setting);

    // The values the models hold now.
    std::vector<SettingValue> Read() const;

    // Assigns `value` to the setting `key` as a user's input on its page
    // would, through the model's rules. False, with `error` naming the rule,
    // when the page would cut, empty or ignore the value, or does not let it
    // be changed now; the model may then hold part of the change.
    bool Assign(const std::string& key, const std::string& value, std::string& error);

private:
    bool Refuse(const std::string& key, const std::string& value, const std::string& why,
                std::string& error);

    Models models_;
    std::function<std::vector<std::string>()> takeMessages_;
};

// The settings whose value differs between two readings of the same table.
std::vector<SettingChange> DiffSettings(const std::vector<SettingValue>& before,
                                        const std::vector<SettingValue>& after);

}  // namespace tovrik
