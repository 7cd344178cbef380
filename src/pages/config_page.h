// SPDX-License-Identifier: MIT
#pragma once

#include "platform/property_sheet.h"

namespace tovrik {

class PageContext;

// A page that edits part of the configuration image. The main window calls
// LoadFromImage after every connection and StoreToImage before every save; a
// page whose window was never created leaves its part of the image as loaded.
class CConfigPage : public PropertyPage {
public:
    CConfigPage(PageContext& app, const DialogTemplate& dialogTemplate);

    virtual void LoadFromImage() = 0;
    virtual void StoreToImage() = 0;

protected:
    PageContext& App() { return app_; }

private:
    PageContext& app_;
};

}  // namespace tovrik
