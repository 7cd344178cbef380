// SPDX-License-Identifier: MIT
#pragma once

#include <string>
#include <vector>

#include "pages/config_page.h"
#include "formats/device_profile.h"
#include "pages/config/misc_page_model.h"

namespace tovrik {

// The configuration page for the chip options kept in single registers or bit
// fields: topology and AGC switches, AGC threshold and fixed gain, clipping
// LED, boost gains, terminal types, and the options that are loaded and
// stored without being shown.
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

    const MiscPageModel& Model() const { return model_; }

protected:
    int OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    // Shows the model in the controls: list contents, check box states, then the fields.
    void ShowState();
    void SetListItems(int id, const std::vector<std::string>& items);
    void OnSliderMoved(int id);
    // The connected device's profile, or an empty one while there is none.
    DeviceProfile Profile();

    MiscPageModel model_;
};

}  // namespace tovrik
