// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "pages/config_page_model.h"
#include "platform/control_set.h"

namespace tovrik {

class EepromConfig;
class Prompter;

// The page's bound fields: every field as the text the page shows.
struct UsbCfgPageFields {
    std::string vid;
    std::string pid;
    std::string manufacturer;
    std::string product;
    std::string serial;
    std::string ucq;
    std::string hidInterval;
};

// The "USB Config" page without its window: vendor and product id, the four
// USB strings and the HID interrupt interval, kept as texts in the page's
// bound fields, with the controls of the page's template and every rule the
// page applies to them.
//
// Input, as a user gives it: type into an edit (Control::TypeText), then send
// Notify::Changed; a string field then loses every character above U+00FF and
// names it. Notify::KillFocus on the interval empties an interval that is no
// number from 0 to 255. Notify::Clicked on IDC_PAGE_RESET runs OnReset.
class UsbCfgPageModel : public ConfigPageModel {
public:
    UsbCfgPageModel(EepromConfig& config, Prompter& prompter);

    // The profile plays no part on this page.
    void Create(const DeviceProfile* profile) override;
    void Destroy() override;
    bool IsCreated() const override { return created_; }

    std::vector<Control>& Controls() override { return controls_.All(); }
    Control& Item(int id) override { return controls_.Item(id); }

    // The fields from the image, also while not created (the fields are what
    // the page keeps); shown in the controls while created.
    void LoadFromImage(const DeviceProfile* profile) override;
    // False when a text was refused, with the message: one longer than its
    // field takes (then nothing is stored) or one with a character a USB
    // string cannot hold (then the ids and the interval are stored, no
    // string). An interval that is no number from 0 to 255 is emptied and
    // stored as absent. True otherwise, and while not created, when nothing
    // is stored.
    bool StoreToImage() override;

    void OnCommand(int id, Notify code) override;

    // Asks first, then empties every field; the image changes only at the next store.
    void OnReset();

    // The bound fields from the controls, in template order; a text over its
    // field's limit is refused with the message and ends the exchange (the
    // fields before it are taken). Then back into the controls.
    bool ReadBoundFields();
    void ShowBoundFields();

    const UsbCfgPageFields& Fields() const { return fields_; }

private:
    bool ExchangeFields(bool saving);
    void CheckInterval();
    // Takes out of a string field what a USB string cannot hold, and says so.
    void RefuseNonLatin1(int id);
    // Empties an interval that is not a number from 0 to 255 and shows it.
    void EmptyBadInterval();

    EepromConfig& config_;
    Prompter& prompter_;
    UsbCfgPageFields fields_;
    bool created_ = false;
    ControlSet controls_;
};

}  // namespace tovrik
