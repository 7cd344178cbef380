// SPDX-License-Identifier: MIT
#pragma once

#include "platform/property_sheet.h"

namespace tovrik {

class PageContext;

// The "About" page: the icon and the version text, in both modes, and where
// the last EEPROM backup went.
class CAboutPage : public PropertyPage {
public:
    explicit CAboutPage(PageContext& app);

    void OnSetActive() override;

private:
    PageContext& app_;
};

}  // namespace tovrik
