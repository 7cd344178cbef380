#pragma once

#include "platform/property_sheet.h"

namespace tovrik {

class CDemoApp;

// The demo page for raw HID reports. Its controls and behaviour are still to come.
class CGenericData : public PropertyPage {
public:
    explicit CGenericData(CDemoApp& app);
};

}  // namespace tovrik
