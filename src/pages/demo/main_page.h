// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "platform/property_sheet.h"

namespace tovrik {

class PageContext;

// The demo page for the sixteen GPO pins and the list of the device's event
// notifications, newest first. Generic events are passed on to the HID
// control page while its window exists.
class CMainPage : public PropertyPage {
public:
    // The event list drops its oldest entries beyond this many, so a device
    // that never stops sending cannot grow it without bound.
    static constexpr int kMaxEvents = 1000;

    explicit CMainPage(PageContext& app);

    void OnCommand(int id, Notify code) override;
    void OnMessage(UINT message, WPARAM wParam, LPARAM lParam) override;

protected:
    int OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    void OnSetGpo();
    void AddEvent(const std::string& text);

    PageContext& app_;
    std::string keypadOutText;
    std::string keypadInText;
    std::string gpoDirectionText;
    std::string gpoLevelText;
    int watchGeneric = 0;
    int watchI2c = 0;
};

}  // namespace tovrik
