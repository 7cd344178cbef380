// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config/misc_config_page_model.h"
#include "pages/config_page.h"

namespace tovrik {

// The configuration page for the chip options kept in single registers or bit
// fields: topology and AGC switches, AGC threshold and fixed gain, clipping
// LED, boost gains, terminal types, and the options that are loaded and
// stored without being shown. The behaviour lives in MiscConfigPageModel; the
// page mirrors the model's controls into its window before and after every
// operation.
class CMiscPage : public CConfigPage {
public:
    explicit CMiscPage(PageContext& app);

    void LoadFromImage() override;
    void StoreToImage() override;
    // The Reset button: asks first, then shows the defaults (the image changes at the next save).
    void ResetPage();
    // Takes the controls, applies the AGC check box rule and shows the result.
    void UpdateAgcControls();

    void OnCommand(int id, Notify code) override;

    const MiscConfigPageModel& Model() const { return model_; }

protected:
    int OnInitDialog() override;
    void OnDestroy() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    // The window's controls into the model, and back.
    void PullControls();
    void PushControls();

    MiscConfigPageModel model_;
};

}  // namespace tovrik
