// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config/usb_cfg_page_model.h"
#include "pages/config_page.h"

namespace tovrik {

// The "USB Config" page: vendor and product id, the four USB strings and the
// HID interrupt interval. The behaviour lives in UsbCfgPageModel.
class CUsbCfgPage : public CConfigPage {
public:
    explicit CUsbCfgPage(PageContext& app);

    UsbCfgPageModel& Model() override { return model_; }
    const UsbCfgPageModel& Model() const override { return model_; }

    // Asks first, then empties every field; the image changes only at the next store.
    void OnReset();

protected:
    void DoDataExchange(DataExchange& dx) override;

private:
    UsbCfgPageModel model_;
};

}  // namespace tovrik
