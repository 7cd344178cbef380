#pragma once

#include "platform/property_sheet.h"

namespace tovrik {

class CDemoApp;

// The demo page for transfers on the chip's I2C bus. Its controls and behaviour are still to come.
class CI2CPage : public PropertyPage {
public:
    explicit CI2CPage(CDemoApp& app);
};

}  // namespace tovrik
