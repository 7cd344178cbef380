#pragma once

#include "app/config_page.h"

namespace tovrik {

// The configuration page for the miscellaneous chip options. Its controls are still to come:
// until then it shows nothing and leaves its part of the image as loaded.
class CMiscPage : public CConfigPage {
public:
    explicit CMiscPage(CDemoApp& app);

    void LoadFromImage() override {}
    void StoreToImage() override {}
};

}  // namespace tovrik
