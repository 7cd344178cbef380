// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "formats/device_profile.h"
#include "pages/config_page_model.h"
#include "pages/config/misc_page_model.h"
#include "platform/control_set.h"

namespace tovrik {

class EepromConfig;
class Prompter;

// The misc page without its window: the page's values (MiscPageModel, which
// also moves them to and from the register map) together with the controls
// of the page's template that show and edit them, and the page's reactions.
//
// Input, as a user gives it: a list takes its selection (Control::SetCurSel),
// then Notify::SelChange; a check box toggles its check, then
// Notify::Clicked; a slider takes its position (Control::SetPos), then
// Notify::Scroll; an edit takes its text (Control::TypeText) and needs no
// notification. The AGC lists and the clipping LED box apply the AGC rule,
// the sliders write their texts, and Notify::Clicked on IDC_MISC_RESET runs
// ResetPage. Every other control is only read at the store.
class MiscConfigPageModel : public ConfigPageModel {
public:
    MiscConfigPageModel(EepromConfig& config, Prompter& prompter);

    void Create(const DeviceProfile* profile) override;
    void Destroy() override;
    bool IsCreated() const override { return created_; }

    std::vector<Control>& Controls() override { return controls_.All(); }
    Control& Item(int id) override { return controls_.Item(id); }

    // The values from the image, also while not created; while created the
    // lists, sliders and AGC boxes follow the image and the profile.
    void LoadFromImage(const DeviceProfile* profile) override;
    // False, with the message, when the stereo mixer terminal holds more than
    // its two characters: then nothing is stored. True otherwise, and while
    // not created, when nothing is stored.
    bool StoreToImage() override;

    void OnCommand(int id, Notify code) override;

    // The device the page is shown for (nullptr: none) until the next load;
    // the reset offers the topologies of this one.
    void SetProfile(const DeviceProfile* profile);

    // Asks first, then shows the defaults; the image changes at the next store.
    void ResetPage();
    // Takes the controls, applies the AGC check box rule and shows the result.
    void UpdateAgcControls();

    // The values from the controls, in template order; a text over its limit
    // is refused with the message and ends the exchange. Then back.
    bool ReadBoundFields();
    void ShowBoundFields();

    const MiscPageModel& Values() const { return values_; }

private:
    bool ExchangeFields(bool saving);
    // Shows the values: list contents, check box states, then the fields.
    void ShowState();
    void SetListItems(int id, const std::vector<std::string>& items);
    void OnSliderMoved(int id);

    EepromConfig& config_;
    Prompter& prompter_;
    MiscPageModel values_;
    DeviceProfile profile_;
    bool created_ = false;
    ControlSet controls_;
};

}  // namespace tovrik
