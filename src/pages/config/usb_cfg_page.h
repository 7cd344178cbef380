// SPDX-License-Identifier: MIT
#pragma once

#include <string>

#include "pages/config_page.h"

namespace tovrik {

// The "USB Config" page: vendor and product id, the four USB strings and the
// HID interrupt interval, kept as texts and moved between the page and the
// configuration image by LoadFromImage and StoreToImage.
class CUsbCfgPage : public CConfigPage {
public:
    explicit CUsbCfgPage(PageContext& app);

    void LoadFromImage() override;
    void StoreToImage() override;
    // Asks first, then empties every field; the image changes only at the next store.
    void OnReset();

    void OnCommand(int id, Notify code) override;

protected:
    int OnInitDialog() override;
    void DoDataExchange(DataExchange& dx) override;

private:
    // Focus left the interval: takes the controls, then empties a bad interval.
    void CheckInterval();
    // Takes out of a string field what a USB string cannot hold, and says so.
    void RefuseNonLatin1(int id);
    // Empties an interval that is not a number from 0 to 255 and shows it.
    void EmptyBadInterval();
    void ClearFields();

    std::string vidText;
    std::string pidText;
    std::string manufacturerText;
    std::string productText;
    std::string serialText;
    std::string ucqText;
    std::string hidIntervalText;
};

}  // namespace tovrik
