// SPDX-License-Identifier: MIT
#pragma once

#include <array>
#include <optional>

#include "pages/config_page.h"

namespace tovrik {

// The "Volume Config" page: for each of five audio paths an optional volume
// range with its initial level, and the initial-mute flags, moved between the
// page and the configuration image by LoadFromImage and StoreToImage.
class CVolumeCfgPage : public CConfigPage {
public:
    // The volume groups in page order.
    enum Group { kPlayback, kMicRecord, kMicAa, kLineRecord, kLineAa, kGroupCount };

    explicit CVolumeCfgPage(PageContext& app);

    void LoadFromImage() override;
    void StoreToImage() override;
    // Asks first, then switches every range off and restores the default mutes.
    void OnReset();

    void OnCommand(int id, Notify code) override;

protected:
    int OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
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

    std::array<int, kGroupCount> rangeOn{};
    int playbackMute = 0;
    int mixerInMute = 0;
    int micRecordMute = 0;
    int lineRecordMute = 0;
    int spdifMute = 0;
    int micAaMute = 1;
    int lineAaMute = 1;
};

}  // namespace tovrik
