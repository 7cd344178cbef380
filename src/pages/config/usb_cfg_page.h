#pragma once

#include "app/config_page.h"

namespace tovrik {

// The configuration page for the USB identity and strings. Its controls are still to come:
// until then it shows nothing and leaves its part of the image as loaded.
class CUsbCfgPage : public CConfigPage {
public:
    explicit CUsbCfgPage(CDemoApp& app);

    void LoadFromImage() override {}
    void StoreToImage() override {}
};

}  // namespace tovrik
