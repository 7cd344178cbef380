// SPDX-License-Identifier: MIT
#pragma once

#include "pages/config/usb_cfg_page_model.h"
#include "pages/config_page.h"

namespace tovrik {

// The "USB Config" page: vendor and product id, the four USB strings and the
// HID interrupt interval, moved between the page and the configuration image
// by LoadFromImage and StoreToImage. The behaviour lives in UsbCfgPageModel;
// the page mirrors the model's controls into its window before and after
// every operation.
class CUsbCfgPage : public CConfigPage {
public:
    explicit CUsbCfgPage(PageContext& app);

    void LoadFromImage() override;
    void StoreToImage() override;
    // Asks first, then empties every field; the image changes only at the next store.
    void OnReset();

    void OnCommand(int id, Notify code) override;

    const UsbCfgPageModel& Model() const { return model_; }

protected:
    int OnInitDialog() override;
    void OnDestroy() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    // The window's controls into the model, and back.
    void PullControls();
    void PushControls();

    UsbCfgPageModel model_;
};

}  // namespace tovrik
