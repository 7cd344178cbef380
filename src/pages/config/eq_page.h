// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config/eq_page_model.h"
#include "pages/config_page.h"

namespace tovrik {

// The configuration page for the equaliser: modes, presets, band gains,
// central frequencies and bandwidths, sampling rates and Treble/Bass. The
// behaviour lives in EqPageModel.
class CEQPage : public CConfigPage {
public:
    explicit CEQPage(PageContext& app);

    EqPageModel& Model() override { return model_; }
    const EqPageModel& Model() const override { return model_; }

protected:
    void DoDataExchange(DataExchange& dx) override;

private:
    EqPageModel model_;
};

}  // namespace tovrik
