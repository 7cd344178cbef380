// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config/misc_config_page_model.h"
#include "pages/config_page.h"

namespace tovrik {

// The configuration page for the chip options kept in single registers or bit
// fields: topology and AGC switches, AGC threshold and fixed gain, clipping
// LED, boost gains, terminal types, and the options that are loaded and
// stored without being shown. The behaviour lives in MiscConfigPageModel.
class CMiscPage : public CConfigPage {
public:
    explicit CMiscPage(PageContext& app);

    MiscConfigPageModel& Model() override { return model_; }
    const MiscConfigPageModel& Model() const override { return model_; }

    // The Reset button: asks first, then shows the defaults (the image changes at the next save).
    void ResetPage();
    // Takes the controls, applies the AGC check box rule and shows the result.
    void UpdateAgcControls();

    void OnCommand(int id, Notify code) override;

protected:
    void DoDataExchange(DataExchange& dx) override;

private:
    MiscConfigPageModel model_;
};

}  // namespace tovrik
