// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config/volume_cfg_page_model.h"
#include "pages/config_page.h"

namespace tovrik {

// The "Volume Config" page: for each of five audio paths an optional volume
// range with its initial level, and the initial-mute flags. The behaviour
// lives in VolumeCfgPageModel.
class CVolumeCfgPage : public CConfigPage {
public:
    explicit CVolumeCfgPage(PageContext& app);

    VolumeCfgPageModel& Model() override { return model_; }
    const VolumeCfgPageModel& Model() const override { return model_; }

    // Asks first, then switches every range off and restores the default mutes.
    void OnReset();

protected:
    void DoDataExchange(DataExchange& dx) override;

private:
    VolumeCfgPageModel model_;
};

}  // namespace tovrik
