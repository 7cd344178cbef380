// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config_page.h"
#include "pages/config/volume_cfg_page_model.h"

namespace tovrik {

// The "Volume Config" page: for each of five audio paths an optional volume
// range with its initial level, and the initial-mute flags, moved between the
// page and the configuration image by LoadFromImage and StoreToImage. The
// behaviour lives in VolumeCfgPageModel; the page mirrors the model's
// controls into its window before and after every operation.
class CVolumeCfgPage : public CConfigPage {
public:
    explicit CVolumeCfgPage(PageContext& app);

    void LoadFromImage() override;
    void StoreToImage() override;
    // Asks first, then switches every range off and restores the default mutes.
    void OnReset();

    void OnCommand(int id, Notify code) override;

    const VolumeCfgPageModel& Model() const { return model_; }

protected:
    int OnInitDialog() override;
    void OnDestroy() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    // The window's controls into the model, and back.
    void PullControls();
    void PushControls();

    VolumeCfgPageModel model_;
};

}  // namespace tovrik
