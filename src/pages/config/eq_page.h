#pragma once

#include "app/config_page.h"

namespace tovrik {

// The configuration page for the equaliser. Its controls are still to come:
// until then it shows nothing and leaves its part of the image as loaded.
class CEQPage : public CConfigPage {
public:
    explicit CEQPage(CDemoApp& app);

    void LoadFromImage() override {}
    void StoreToImage() override {}
};

}  // namespace tovrik
