// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config_page.h"
#include "pages/config/eq_page_model.h"

namespace tovrik {

// The configuration page for the equaliser: modes, presets, band gains,
// central frequencies and bandwidths, sampling rates and Treble/Bass. The
// behaviour lives in EqPageModel; the page mirrors the model's controls into
// its window before and after every operation.
class CEQPage : public CConfigPage {
public:
    explicit CEQPage(PageContext& app);

    void LoadFromImage() override;
    void StoreToImage() override;

    void OnCommand(int id, Notify code) override;

    const EqPageModel& Model() const { return model_; }

protected:
    int OnInitDialog() override;
    void OnDestroy() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    // The window's controls into the model, and back.
    void PullControls();
    void PushControls();

    EqPageModel model_;
};

}  // namespace tovrik
