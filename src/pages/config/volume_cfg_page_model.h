// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>
#include <vector>

#include "pages/config_page_model.h"
#include "platform/control_set.h"

namespace tovrik {

class EepromConfig;
class Prompter;

// The page's bound fields: the range switches in group order and the
// initial-mute flags, each 0 or 1. The SPDIF-In mute has no control; it goes
// from the load to the store as it was.
struct VolumeCfgPageFields {
    std::array<int, 5> rangeOn{};
    int playbackMute = 0;
    int mixerInMute = 0;
    int micRecordMute = 0;
    int lineRecordMute = 0;
    int spdifMute = 0;
    int micAaMute = 1;
    int lineAaMute = 1;
};

// The "Volume Config" page without its window: for each of five audio paths
// an optional volume range with its initial level, and the initial-mute
// flags, with the controls of the page's template and every rule the page
// applies to them.
//
// Input, as a user gives it: a range switch or a mute box toggles its check,
// then Notify::Clicked; a range switch fills (or empties) its group's lists.
// A minimum or maximum list takes its selection (Control::SetCurSel), then
// Notify::SelChange: the lists after it are filled again with their defaults
// selected, or the group is switched off with a message when nothing is left
// to choose. The initial list needs no notification. Notify::Clicked on
// IDC_PAGE_RESET runs OnReset.
class VolumeCfgPageModel : public ConfigPageModel {
public:
    // The volume groups in page order.
    enum Group { kPlayback, kMicRecord, kMicAa, kLineRecord, kLineAa, kGroupCount };

    VolumeCfgPageModel(EepromConfig& config, Prompter& prompter);

    void Create(const DeviceProfile* profile) override;
    void Destroy() override;
    bool IsCreated() const override { return created_; }

    std::vector<Control>& Controls() override { return controls_.All(); }
    Control& Item(int id) override { return controls_.Item(id); }

    // The mutes to their defaults; while created the mic and line groups
    // follow the profile's inputs (off without a profile) and every group
    // shows the image's range and initial level.
    void LoadFromImage(const DeviceProfile* profile) override;
    // Always true: the page refuses nothing. Stores nothing while not created;
    // for device code 28 the line-in registers stay as they are.
    bool StoreToImage() override;

    void OnCommand(int id, Notify code) override;

    // Asks first, then switches every range off and restores the default
    // mutes; the image changes only at the next store.
    void OnReset();

    // The bound fields from the check boxes (which refuse nothing), and back.
    void ReadBoundFields();
    void ShowBoundFields();

    const VolumeCfgPageFields& Fields() const { return fields_; }

private:
    void ExchangeFields(bool saving);
    void SetDefaultMutes();
    void OnRangeSwitch(int group);
    void OnMinimumChange(int group);
    void OnMaximumChange(int group);
    // Refills the initial list from the selected minimum and maximum; false when it stays empty.
    bool RefillInitialList(int group);
    void FailGroup(int group, const char* message);
    std::optional<double> SelectedLevel(int group, int listId) const;
    void SelectLevel(int group, int listId, double level);
    void StoreRange(int group);
    void LoadGroup(int group);

    EepromConfig& config_;
    Prompter& prompter_;
    VolumeCfgPageFields fields_;
    bool created_ = false;
    ControlSet controls_;
};

}  // namespace tovrik
