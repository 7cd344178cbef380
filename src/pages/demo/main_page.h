#pragma once

#include "platform/property_sheet.h"

namespace tovrik {

class CDemoApp;

// The demo page for GPIO pins and the event list. Its controls and behaviour are still to come.
class CMainPage : public PropertyPage {
public:
    explicit CMainPage(CDemoApp& app);
};

}  // namespace tovrik
