#pragma once

#include "app/config_page.h"

namespace tovrik {

// The configuration page for the volume ranges, initial levels and mutes. Its controls are still to come:
// until then it shows nothing and leaves its part of the image as loaded.
class CVolumeCfgPage : public CConfigPage {
public:
    explicit CVolumeCfgPage(CDemoApp& app);

    void LoadFromImage() override {}
    void StoreToImage() override {}
};

}  // namespace tovrik
