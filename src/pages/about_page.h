#pragma once

#include "platform/property_sheet.h"

namespace tovrik {

class PageContext;

// The "About" page: the icon and the version text, in both modes.
class CAboutPage : public PropertyPage {
public:
    explicit CAboutPage(PageContext& app);
};

}  // namespace tovrik
