// SPDX-License-Identifier: MIT
#pragma once

#include <functional>

#include "pages/config_page_model.h"
#include "platform/property_sheet.h"

namespace tovrik {

class PageContext;

// A page that edits part of the configuration image. The main window calls
// LoadFromImage after every connection and StoreToImage before every save; a
// page whose window was never created leaves its part of the image as loaded.
// The page's state and rules live in its model, which works without a window;
// the page creates the model's controls with its window and mirrors them into
// the window and back around every operation. Between operations the model's
// controls are those of the end of the last one: input a front end gives the
// window reaches the model with the notification that follows it.
class CConfigPage : public PropertyPage {
public:
    CConfigPage(PageContext& app, const DialogTemplate& dialogTemplate);

    virtual ConfigPageModel& Model() = 0;
    virtual const ConfigPageModel& Model() const = 0;

    virtual void LoadFromImage();
    virtual void StoreToImage();

    void OnCommand(int id, Notify code) override;

protected:
    PageContext& App() { return app_; }

    int OnInitDialog() override;
    void OnDestroy() override;

    // While the window exists: its controls into the model, the operation,
    // then the model's controls back into the window. Without it: the operation.
    void Mirrored(const std::function<void()>& operation);

private:
    void PullControls();
    void PushControls();

    PageContext& app_;
};

}  // namespace tovrik
