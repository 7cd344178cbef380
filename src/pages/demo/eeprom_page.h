#pragma once

#include "platform/property_sheet.h"

namespace tovrik {

class CDemoApp;

// The demo page for raw EEPROM bytes. Its controls and behaviour are still to come.
class CEepromPage : public PropertyPage {
public:
    explicit CEepromPage(CDemoApp& app);
};

}  // namespace tovrik
